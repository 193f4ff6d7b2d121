#ifndef _lightnorm_H_
#define _lightnorm_H_

enum
{
  lightnorm = 1022973,
};

#endif
