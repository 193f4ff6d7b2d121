#include "KyranoMaterial.h"

// Out-of-line destructors anchor each class's virtual table and type information here.
namespace Kyrano
{

KyranoMaterial::~KyranoMaterial() {}
KyranoNullMaterial::~KyranoNullMaterial() {}
KyranoDiffuse::~KyranoDiffuse() {}
KyranoSpecularMaterial::~KyranoSpecularMaterial() {}
KyranoDiffuseTransmitter::~KyranoDiffuseTransmitter() {}
KyranoOrenNayarMaterial::~KyranoOrenNayarMaterial() {}
KyranoGlossyTransparent::~KyranoGlossyTransparent() {}
KyranoPhongMaterial::~KyranoPhongMaterial() {}
KyranoBlendMaterial::~KyranoBlendMaterial() {}

} // namespace Kyrano
