#ifndef _oMaterialGroup_H_
#define _oMaterialGroup_H_

enum
{
  oMaterialGroup = 1023293,
};

#endif
