#ifndef _TMyExitPortal_H_
#define _TMyExitPortal_H_

enum
{
  TMyExitPortal     = 1021223,

  EXITPORTAL_ENABLE = 1100,
};

#endif
