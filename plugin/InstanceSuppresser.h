// The one flag shared by the exporting commands and the instance object: 1 while an
// export runs, so instance objects build no geometry then.
#pragma once
#include "c4d.h"

class InstanceSuppresser {
 public:
  UCHAR value = 0;
};

extern InstanceSuppresser* instSuppress;
