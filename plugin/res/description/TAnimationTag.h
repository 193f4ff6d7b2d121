#ifndef _TAnimationTag_H_
#define _TAnimationTag_H_

enum
{
  TAnimationTag        = 1022560,

  ANIMATIONTAG_VALUE_1 = 70001,
  ANIMATIONTAG_VALUE_2 = 70002,
};

#endif
