#include "KyranoMatParameter.h"

// Out-of-line destructors anchor each class's virtual table and type information here.
namespace Kyrano
{

KyranoWavelengthDependentParam::~KyranoWavelengthDependentParam() {}
KyranoConstantWavelengthDependentParam::~KyranoConstantWavelengthDependentParam() {}
KyranoTextureWavelengthDependentParam::~KyranoTextureWavelengthDependentParam() {}
KyranoShaderWavelengthDependentParam::~KyranoShaderWavelengthDependentParam() {}

KyranoWavelengthIndependentParam::~KyranoWavelengthIndependentParam() {}
KyranoConstantWavelengthIndependentParam::~KyranoConstantWavelengthIndependentParam() {}
KyranoTextureWavelengthIndependentParam::~KyranoTextureWavelengthIndependentParam() {}
KyranoShaderWavelengthIndependentParam::~KyranoShaderWavelengthIndependentParam() {}

KyranoDisplacementParam::~KyranoDisplacementParam() {}
KyranoConstantDisplacementParam::~KyranoConstantDisplacementParam() {}
KyranoTextureDisplacementParam::~KyranoTextureDisplacementParam() {}
KyranoShaderDisplacementParam::~KyranoShaderDisplacementParam() {}

} // namespace Kyrano
