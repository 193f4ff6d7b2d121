#ifndef _xtavrellislshader_H_
#define _xtavrellislshader_H_

enum
{
  xtavrellislshader  = 1023863,

  ISLSHADER_PROGRAM  = 1405,
  ISLSHADER_TEXTURE1 = 1400,
  ISLSHADER_TEXTURE2 = 1401,
  ISLSHADER_TEXTURE3 = 1402,
};

#endif
