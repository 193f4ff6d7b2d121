#ifndef _Okyranoinstance_H_
#define _Okyranoinstance_H_

enum
{
  Okyranoinstance          = 1022273,

  INSTANCE_LINK            = 10000,
  INSTANCE_DRAWMODE        = 10011,
  INSTANCE_DRAWMODE_BOX    = 10012,
  INSTANCE_DRAWMODE_WIRE   = 10013,
  INSTANCE_DRAWMODE_SHADED = 10014,
  INSTANCE_CUSTOM_BOX      = 10001,

  INSTANCE_BOX_GROUP       = 10010,
  INSTANCE_BOX_SIZE        = 10003,
  INSTANCE_BOX_CENTER      = 10004,

  INSTANCE_FLAG_10005      = 10005,
};

#endif
