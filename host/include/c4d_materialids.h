// Parameter ids of the host's standard material (type Mmaterial) and of its bitmap shader.
//
// A standard material has numbered channels (CHANNEL_...). Each channel's own parameters
// live in a block of one hundred ids starting at 2000 + 100 * channel:
//   block + 0   the channel's colour (Vector)            MATERIAL_<CHANNEL>_COLOR
//   block + 1   its brightness or strength (Real, 1 = 100 %)   MATERIAL_<CHANNEL>_BRIGHTNESS
//   block + 2.. settings of that channel only (refraction index, highlight width, ...)
//   block + 99  whether the channel is switched on (Bool)      MATERIAL_USE_<CHANNEL>
// MaterialUseId(channel) gives the switch of any channel. A channel's texture or shader is a
// bitmap shader (or another shader) owned by the material and linked from the material's
// container at MATERIAL_<CHANNEL>_SHADER, the link ids 8000 and up the host has always used
// for them.
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
};

// First id of a channel's block, and the id of its on/off switch.
inline LONG MaterialChannelBase(LONG channel) { return 2000 + 100 * channel; }
inline LONG MaterialUseId(LONG channel) { return MaterialChannelBase(channel) + 99; }

enum {
  MATERIAL_COLOR_COLOR = 2000,       // Vector
  MATERIAL_COLOR_BRIGHTNESS = 2001,  // Real
  MATERIAL_USE_COLOR = 2099,         // Bool

  MATERIAL_LUMINANCE_COLOR = 2100,
  MATERIAL_LUMINANCE_BRIGHTNESS = 2101,
  MATERIAL_USE_LUMINANCE = 2199,

  MATERIAL_TRANSPARENCY_COLOR = 2200,
  MATERIAL_TRANSPARENCY_BRIGHTNESS = 2201,  // 1 = fully transparent
  MATERIAL_TRANSPARENCY_REFRACTION = 2202,  // Real: index of refraction, 1 = none
  MATERIAL_USE_TRANSPARENCY = 2299,

  MATERIAL_REFLECTION_COLOR = 2300,
  MATERIAL_REFLECTION_BRIGHTNESS = 2301,
  MATERIAL_USE_REFLECTION = 2399,

  MATERIAL_ENVIRONMENT_COLOR = 2400,
  MATERIAL_ENVIRONMENT_BRIGHTNESS = 2401,
  MATERIAL_USE_ENVIRONMENT = 2499,

  MATERIAL_BUMP_STRENGTH = 2601,  // Real: 1 = 100 %
  MATERIAL_USE_BUMP = 2699,

  MATERIAL_USE_ALPHA = 2799,

  MATERIAL_SPECULAR_WIDTH = 2802,   // Real: width of the highlight, 0 (a point) to 1 (broad)
  MATERIAL_SPECULAR_HEIGHT = 2803,  // Real: intensity of the highlight, 1 = 100 %
  MATERIAL_USE_SPECULAR = 2899,

  MATERIAL_SPECULARCOLOR_COLOR = 2900,
  MATERIAL_SPECULARCOLOR_BRIGHTNESS = 2901,
  MATERIAL_USE_SPECULARCOLOR = 2999,

  MATERIAL_DISPLACEMENT_STRENGTH = 3101,
  MATERIAL_USE_DISPLACEMENT = 3199,

  MATERIAL_DIFFUSION_BRIGHTNESS = 3201,
  MATERIAL_USE_DIFFUSION = 3299,

  MATERIAL_NORMAL_STRENGTH = 3301,
  MATERIAL_USE_NORMAL = 3399,
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
  MATERIAL_NORMAL_SHADER = 8012,
};

// Bitmap shader (type Xbitmap) parameters.
enum {
  BITMAPSHADER_FILENAME = 1000,  // Filename: the image, as given (may be relative to the document)
};
