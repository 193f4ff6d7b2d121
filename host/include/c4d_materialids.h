// Parameter ids of the host's standard material (type Mmaterial) and of its bitmap shader.
//
// A standard material has numbered channels (CHANNEL_...). Whether a channel is switched on is
// stored at MATERIAL_USE_<CHANNEL> (2000 + channel, Bool); Material::GetChannelState reads it.
// The channels that have a colour keep it with its brightness (1 = 100 %) in ids of their own
// (MATERIAL_<CHANNEL>_COLOR, _BRIGHTNESS); the other settings have fixed ids of their own. A
// channel's texture or shader is a bitmap shader (or another shader) owned by the material and
// linked from the material's container at MATERIAL_<CHANNEL>_SHADER, the link ids 8000 and up.
// MaterialColorId, MaterialBrightnessId and MaterialShaderId give those ids for any channel.
#pragma once
#include "ge_math.h"

// Channel numbers of the standard material.
enum {
  CHANNEL_COLOR = 0,
  CHANNEL_LUMINANCE = 1,
  CHANNEL_TRANSPARENCY = 2,
  CHANNEL_REFLECTION = 3,
  CHANNEL_ENVIRONMENT = 4,
  CHANNEL_FOG = 5,
  CHANNEL_BUMP = 6,
  CHANNEL_ALPHA = 7,
  CHANNEL_SPECULAR = 8,
  CHANNEL_SPECULARCOLOR = 9,
  CHANNEL_GLOW = 10,
  CHANNEL_DISPLACEMENT = 11,
  CHANNEL_DIFFUSION = 12,
  CHANNEL_NORMAL = 13,
  CHANNEL_COUNT = 14,
};

// The switch of a channel.
inline LONG MaterialUseId(LONG channel) { return 2000 + channel; }

enum {
  MATERIAL_USE_COLOR = 2000,  // Bool
  MATERIAL_USE_LUMINANCE = 2001,
  MATERIAL_USE_TRANSPARENCY = 2002,
  MATERIAL_USE_REFLECTION = 2003,
  MATERIAL_USE_ENVIRONMENT = 2004,
  MATERIAL_USE_FOG = 2005,
  MATERIAL_USE_BUMP = 2006,
  MATERIAL_USE_ALPHA = 2007,
  MATERIAL_USE_SPECULAR = 2008,
  MATERIAL_USE_SPECULARCOLOR = 2009,
  MATERIAL_USE_GLOW = 2010,
  MATERIAL_USE_DISPLACEMENT = 2011,
  MATERIAL_USE_DIFFUSION = 2012,
  MATERIAL_USE_NORMAL = 2013,

  MATERIAL_COLOR_COLOR = 2100,       // Vector
  MATERIAL_COLOR_BRIGHTNESS = 2101,  // Real

  MATERIAL_LUMINANCE_COLOR = 2200,
  MATERIAL_LUMINANCE_BRIGHTNESS = 2201,

  MATERIAL_TRANSPARENCY_COLOR = 2300,
  MATERIAL_TRANSPARENCY_BRIGHTNESS = 2301,  // 1 = fully transparent
  MATERIAL_TRANSPARENCY_FRESNEL = 1003,     // Bool: the surface reflects more at grazing angles
  MATERIAL_TRANSPARENCY_REFRACTION = 1005,  // Real: index of refraction, 1 = none
  MATERIAL_TRANSPARENCY_DISPERSION = 8020,  // Real: blurriness of what shines through, 0 to 1

  MATERIAL_REFLECTION_COLOR = 2500,
  MATERIAL_REFLECTION_BRIGHTNESS = 2501,
  MATERIAL_REFLECTION_DISPERSION = 8021,  // Real: blurriness of the reflection, 0 to 1

  MATERIAL_ENVIRONMENT_COLOR = 2600,
  MATERIAL_ENVIRONMENT_BRIGHTNESS = 2601,

  MATERIAL_FOG_COLOR = 2700,
  MATERIAL_FOG_BRIGHTNESS = 2701,

  MATERIAL_BUMP_STRENGTH = 1009,  // Real: 1 = 100 %

  MATERIAL_SPECULAR_WIDTH = 1016,   // Real: width of the highlight, 0 (a point) to 1 (broad)
  MATERIAL_SPECULAR_HEIGHT = 1017,  // Real: intensity of the highlight, 1 = 100 %

  MATERIAL_SPECULARCOLOR_COLOR = 2900,
  MATERIAL_SPECULARCOLOR_BRIGHTNESS = 2901,

  MATERIAL_GLOW_COLOR = 3000,
  MATERIAL_GLOW_BRIGHTNESS = 3001,

  MATERIAL_DISPLACEMENT_STRENGTH = 3101,
  MATERIAL_DIFFUSION_BRIGHTNESS = 3201,
  MATERIAL_NORMAL_STRENGTH = 3301,
};

// Shader links of the channels (links to shaders the material owns).
enum {
  MATERIAL_COLOR_SHADER = 8000,
  MATERIAL_DIFFUSION_SHADER = 8001,
  MATERIAL_LUMINANCE_SHADER = 8002,
  MATERIAL_TRANSPARENCY_SHADER = 8003,
  MATERIAL_REFLECTION_SHADER = 8004,
  MATERIAL_ENVIRONMENT_SHADER = 8005,
  MATERIAL_BUMP_SHADER = 8006,
  MATERIAL_ALPHA_SHADER = 8007,
  MATERIAL_SPECULARCOLOR_SHADER = 8008,
  MATERIAL_DISPLACEMENT_SHADER = 8009,
  MATERIAL_FOG_SHADER = 8010,
  MATERIAL_GLOW_SHADER = 8011,
  MATERIAL_NORMAL_SHADER = 8012,
};

// The ids of a channel's colour, brightness and shader link; 0 for a channel without one.
LONG MaterialColorId(LONG channel);
LONG MaterialBrightnessId(LONG channel);
LONG MaterialShaderId(LONG channel);

// Entries of a channel's data (BaseChannel::GetData, SetData).
enum {
  BASECHANNEL_COLOR_EX = 1000,       // Vector: the channel's colour
  BASECHANNEL_BRIGHTNESS_EX = 1001,  // Real: its brightness
  BASECHANNEL_TEXTURE = 1002,        // String: the file of the channel's bitmap shader, "" for none
};

// Bitmap shader (type Xbitmap) parameters.
enum {
  BITMAPSHADER_FILENAME = 1000,  // Filename: the image, as given (may be relative to the document)
};
