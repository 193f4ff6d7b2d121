#include "Draw.h"

#include <cstdio>
#include <sstream>

#include "RenderLimits.h"
#include "render/Integrator.h"
#include "render/SceneBuilder.h"

namespace renderer {

using namespace render;

namespace {

std::string FormatSeconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", s);
  return text;
}

}  // namespace

DrawResult DrawScene(const RenderOptions& options) {
  DrawResult result;
  std::unique_ptr<RenderScene> scene = BuildRenderScene(options.scene, result.error);
  if (!scene) {
    result.error = "cannot draw the scene: " + result.error;
    return result;
  }
  ApplyAutofocus(*scene);
  std::ostringstream summary;
  if (!scene->notDrawn.empty()) {
    summary << "Not drawn:";
    for (const std::string& what : scene->notDrawn) summary << "\n  " << what;
    summary << "\n";
  }
  if (!options.maskImage.empty()) {
    const std::string failure = WritePng(options.maskImage, RenderMask(*scene));
    if (!failure.empty()) {
      result.error = failure;
      return result;
    }
    summary << "Mask: " << options.maskImage << "\n";
  }
  const int spp = int(options.haltSpp > 0 ? options.haltSpp : kDefaultSamplesPerPixel);
  Film film(scene->settings.width, scene->settings.height);
  const Integrator integrator(*scene, std::uint64_t(options.seed > 0 ? options.seed : 0));
  std::printf("Rendering %d x %d, %d samples per pixel, %llu triangles, %zu emitters\n", film.Width(), film.Height(),
              spp, static_cast<unsigned long long>(scene->triangleCount), scene->lights.size());
  std::fflush(stdout);
  const RenderStats stats = integrator.Render(film, spp, 0, [spp](int done) {
    std::printf("Rendering: %d%% done, %d samples per pixel\n", int(100.0 * done / spp), done);
    std::fflush(stdout);
  });
  const std::string image = OutputImagePath(options);
  const std::string failure = WritePng(image, film.Develop(scene->settings.tone, stats.samplesPerPixel));
  if (!failure.empty()) {
    result.error = failure;
    return result;
  }
  const double raysPerSecond = stats.seconds > 0 ? double(stats.rays) / stats.seconds : 0;
  summary << "Picture: " << image << " (" << film.Width() << " x " << film.Height() << ", " << stats.samplesPerPixel
          << " samples per pixel, " << FormatSeconds(stats.seconds) << " s, "
          << static_cast<long long>(raysPerSecond) << " rays per second)\n";
  result.summary = summary.str();
  result.ok = true;
  return result;
}

}  // namespace renderer
