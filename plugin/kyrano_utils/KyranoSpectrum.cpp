#include "KyranoSpectrum.h"

// Out-of-line destructors anchor each class's virtual table and type information here.
namespace Kyrano
{

KyranoSpectrum::~KyranoSpectrum() {}
KyranoUniformSpectrum::~KyranoUniformSpectrum() {}
KyranoRGBSpectrum::~KyranoRGBSpectrum() {}
KyranoPeakSpectrum::~KyranoPeakSpectrum() {}
KyranoBlackBodySpectrum::~KyranoBlackBodySpectrum() {}
KyranoRegularSpectrum::~KyranoRegularSpectrum() {}

} // namespace Kyrano
