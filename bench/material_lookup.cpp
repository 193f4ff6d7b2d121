// Material lookups against their floor: every mesh and model asks the material list which
// helper describes a material. For N helpers in a document of N objects (default 4000; the
// first argument overrides) the time of N FindMaterialWithPointer calls, one per material,
// is divided by the time of the same N searches with std::find over a plain vector of the
// materials. Each is run three times, alternating, and the medians are compared.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "c4d.h"
#include "exporter/TavrellMaterialList.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4000;
  const LONG kMaterialLink = 1001;  // the helper's material link
  BaseDocument* doc = BaseDocument::Alloc();
  std::vector<BaseMaterial*> materials;
  TavrellMaterialList list;
  for (int i = 0; i < n; ++i) {
    BaseMaterial* mat = BaseMaterial::Alloc(Mmaterial);
    doc->InsertMaterial(mat, materials.empty() ? nullptr : materials.back());
    materials.push_back(mat);
    // Helpers are top-level objects side by side, as a converted scene has them.
    BaseObject* helper = BaseObject::Alloc(Onull);
    helper->GetDataInstance()->SetLink(kMaterialLink, mat);
    doc->InsertObject(helper, nullptr, nullptr);
    list.AddTavrellMaterial(helper);
  }

  std::vector<double> lookups, floor;
  long found = 0;
  for (int round = 0; round < 3; ++round) {
    Clock::time_point start = Clock::now();
    for (BaseMaterial* m : materials) found += list.FindMaterialWithPointer(m) != nullptr;
    lookups.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    start = Clock::now();
    for (BaseMaterial* m : materials) found += std::find(materials.begin(), materials.end(), m) != materials.end();
    floor.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  const double l = Median(lookups), f = Median(floor);
  std::printf("%d helpers: %d lookups %.4f s, plain vector search %.4f s, ratio %.2f (found %ld of %d)\n", n, n, l, f,
              f > 0 ? l / f : 0.0, found, 6 * n);
  BaseDocument::Free(doc);
  return 0;
}
