// Parameter ids of the host's own objects (cameras, display properties).
#pragma once

// Display properties every object carries in its container.
enum {
  ID_BASEOBJECT_COLOR = 900,     // Vector: the object's display colour
  ID_BASEOBJECT_USECOLOR = 906,  // LONG: when the display colour is used (values below)
  ID_BASEOBJECT_XRAY = 907,      // Bool: drawn see-through in the viewport
};
enum {
  ID_BASEOBJECT_USECOLOR_OFF = 0,
  ID_BASEOBJECT_USECOLOR_AUTOMATIC = 1,
  ID_BASEOBJECT_USECOLOR_ALWAYS = 2,
  ID_BASEOBJECT_USECOLOR_LAYER = 3,
};

// Camera object parameters.
enum {
  CAMERA_FOCUS = 500,                  // Real: focal length, millimetres
  CAMERAOBJECT_APERTURE = 1006,        // Real: film width, millimetres
  CAMERAOBJECT_TARGETDISTANCE = 1010,  // Real: focus distance, host units
  CAMERAOBJECT_FILM_OFFSET_X = 1118,   // Real: horizontal film offset, fraction of the film width
  CAMERAOBJECT_FILM_OFFSET_Y = 1119,   // Real: vertical film offset
};

