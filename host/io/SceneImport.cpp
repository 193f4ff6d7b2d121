#include "host/SceneImport.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <pthread.h>

#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>

#include "FileFrame.h"
#include "SceneBuilder.h"
#include "host/DocumentIO.h"

namespace host {

namespace {

namespace fs = std::filesystem;

// The host's unit preference for metres: every imported document is built in metres.
const LONG kUnitMetres = 2;

struct DocumentFree {
  void operator()(BaseDocument* doc) const { BaseDocument::Free(doc); }
};

// Assimp's steps after reading: check indices and counts (a file with a vertex index out of
// range is refused), turn spherical and other mappings into UV coordinates and apply the
// files' UV transforms. Polygons are left as they are, so quads stay quads.
const unsigned kPostProcess = aiProcess_ValidateDataStructure | aiProcess_GenUVCoords | aiProcess_TransformUVCoords;

const aiScene* ReadWithAssimp(Assimp::Importer& importer, const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw DocumentError(path + ": cannot open the scene file: no such file");
  // FBX pivots would otherwise become extra helper nodes around every object.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  const aiScene* scene = importer.ReadFile(path, kPostProcess);
  if (!scene) throw DocumentError(path + ": cannot read the scene: " + importer.GetErrorString());
  return scene;
}

void PrintSummary(const import::ImportContext& ctx, const import::SceneBuilder& b) {
  std::string text = "Imported " + ctx.file + ": " + std::to_string(b.objects) + " objects (" +
                     std::to_string(b.polygonObjects) + " polygon objects, " + std::to_string(b.cameras) +
                     " cameras, " + std::to_string(b.lights) + " lights), " + std::to_string(b.Materials()) + " materials";
  if (b.Animation().Active())
    text += ", frames " + std::to_string(b.Animation().FirstFrame()) + " to " + std::to_string(b.Animation().LastFrame()) +
            " at " + std::to_string(b.Animation().Fps()) + " fps";
  text += "; units: " + ctx.unitSource;
  GePrint(String(text));
}

BaseDocument* Build(const aiScene& scene, const std::string& path) {
  const import::FileFrame frame = import::ReadFileFrame(scene, path);
  std::unique_ptr<BaseDocument, DocumentFree> doc(BaseDocument::Alloc());
  if (!doc) throw DocumentError(path + ": the host could not make a document");
  import::ImportContext ctx;
  ctx.file = path;
  const fs::path folder = fs::path(path).parent_path();
  ctx.folder = folder.empty() ? "." : folder.string();
  ctx.scene = &scene;
  ctx.doc = doc.get();
  ctx.unitSource = frame.source;
  ctx.viewsAtNodeOrigin = frame.viewsAtNodeOrigin;
  ctx.fovIsVerticalTimesAspect = frame.fovIsVerticalTimesAspect;
  import::SceneBuilder builder(ctx, frame);
  builder.Build();
  // Relative texture paths are found beside the model.
  doc->SetDocumentName(Filename(path.c_str()));
  // One host unit is one metre in every imported document; with the preference at metres a
  // render settings node made for it measures the scene in metres too.
  GetWorldContainerInstance()->SetLong(WPREF_UNITS_BASIC, kUnitMetres);
  PrintSummary(ctx, builder);
  return doc.release();
}

// Assimp reads and frees node hierarchies recursively, so a file nested many thousands of
// levels deep would overflow an ordinary stack; the import runs on a thread with a large one
// (reserved, not used, unless the file needs it). The caller waits; exceptions come back.
void RunWithLargeStack(const std::function<void()>& job) {
  struct Task {
    const std::function<void()>* job;
    std::exception_ptr error;
  } task{&job, nullptr};
  pthread_attr_t attr;
  pthread_t thread;
  const bool ready = pthread_attr_init(&attr) == 0;
  const bool started = ready && pthread_attr_setstacksize(&attr, size_t(256) << 20) == 0 &&
                       pthread_create(&thread, &attr, [](void* p) -> void* {
                         Task* t = static_cast<Task*>(p);
                         try {
                           (*t->job)();
                         } catch (...) {
                           t->error = std::current_exception();
                         }
                         return nullptr;
                       }, &task) == 0;
  if (ready) pthread_attr_destroy(&attr);
  if (!started) {
    job();
    return;
  }
  pthread_join(thread, nullptr);
  if (task.error) std::rethrow_exception(task.error);
}

BaseDocument* Import(const std::string& path) {
  Assimp::Importer importer;
  try {
    const aiScene* scene = ReadWithAssimp(importer, path);
    return Build(*scene, path);
  } catch (const DocumentError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw DocumentError(path + ": not enough memory to import the scene");
  } catch (const std::exception& e) {
    throw DocumentError(path + ": cannot import the scene: " + e.what());
  }
}

}  // namespace

bool IsForeignScene(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string suffix = path.substr(dot + 1);
  for (char& c : suffix) c = char(std::tolower((unsigned char)c));
  return suffix != "json";
}

BaseDocument* ImportScene(const std::string& path) {
  BaseDocument* doc = nullptr;
  RunWithLargeStack([&] { doc = Import(path); });
  return doc;
}

}  // namespace host
