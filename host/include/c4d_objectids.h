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


// Light object parameters. Lengths are host units.
enum {
  LIGHT_COLOR = 90000,                // Vector
  LIGHT_BRIGHTNESS = 90001,           // Real, 1 = 100 %
  LIGHT_TYPE = 90002,                 // LONG: LIGHT_TYPE_...
  LIGHT_AREADETAILS_SIZEX = 100010,   // Real: area size along the light's x, y and z axes
  LIGHT_AREADETAILS_SIZEY = 100011,
  LIGHT_AREADETAILS_SIZEZ = 100012,
  LIGHT_AREADETAILS_OBJECT = 100014,  // link: the polygon object of an object-shaped area light
  LIGHT_AREADETAILS_SHAPE = 100015,   // LONG: LIGHT_AREADETAILS_SHAPE_...
};
enum { LIGHT_TYPE_OMNI = 0, LIGHT_TYPE_SPOT = 1, LIGHT_TYPE_DISTANT = 3, LIGHT_TYPE_PARALLEL = 4, LIGHT_TYPE_AREA = 8 };
enum {
  LIGHT_AREADETAILS_SHAPE_DISC = 0,
  LIGHT_AREADETAILS_SHAPE_RECTANGLE = 1,
  LIGHT_AREADETAILS_SHAPE_SPHERE = 2,
  LIGHT_AREADETAILS_SHAPE_CYLINDER = 3,
  LIGHT_AREADETAILS_SHAPE_CUBE = 4,
  LIGHT_AREADETAILS_SHAPE_HEMISPHERE = 5,
  LIGHT_AREADETAILS_SHAPE_OBJECT = 6,
};
