#include "host/SceneImport.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <pthread.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

#include "FileFrame.h"
#include "ImportAxes.h"
#include "ImportCamerasLights.h"
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
  ctx.folder = fs::path(AbsoluteDocumentPath(path)).parent_path().string();
  ctx.scene = &scene;
  ctx.doc = doc.get();
  ctx.unitSource = frame.source;
  ctx.viewsAtNodeOrigin = frame.viewsAtNodeOrigin;
  ctx.fovIsVerticalTimesAspect = frame.fovIsVerticalTimesAspect;
  import::SceneBuilder builder(ctx, frame);
  builder.Build();
  // Relative texture paths are found beside the model, wherever the command runs from.
  doc->SetDocumentName(Filename(AbsoluteDocumentPath(path).c_str()));
  // One host unit is one metre in every imported document; with the preference at metres a
  // render settings node made for it measures the scene in metres too.
  GetWorldContainerInstance()->SetLong(WPREF_UNITS_BASIC, kUnitMetres);
  PrintSummary(ctx, builder);
  return doc.release();
}

// An import the caller stopped waiting for. The thread that runs it owns the task, so that it
// may finish (or run on) after the call returned.
struct ImportTask {
  std::function<void()> job;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr error;
};

std::atomic<int> abandonedImports{0};

void* RunTask(void* p) {
  std::shared_ptr<ImportTask> task(*static_cast<std::shared_ptr<ImportTask>*>(p));
  delete static_cast<std::shared_ptr<ImportTask>*>(p);
  std::exception_ptr error;
  try {
    task->job();
  } catch (...) {
    error = std::current_exception();
  }
  std::lock_guard<std::mutex> lock(task->mutex);
  task->error = error;
  task->done = true;
  task->finished.notify_all();
  return nullptr;
}

// Assimp reads and frees node hierarchies recursively, so a file nested many thousands of
// levels deep would overflow an ordinary stack; the job runs on a thread with a large one
// (reserved, not used, unless the file needs it).
bool StartWithLargeStack(const std::shared_ptr<ImportTask>& task, pthread_t* thread) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  auto* handed = new std::shared_ptr<ImportTask>(task);
  const bool started =
      pthread_attr_setstacksize(&attr, size_t(256) << 20) == 0 && pthread_create(thread, &attr, RunTask, handed) == 0;
  pthread_attr_destroy(&attr);
  if (!started) delete handed;
  return started;
}

// Whether the file is a PLY file whose header has no "end_header" line: Assimp's reader
// looks for that line for ever.
bool PlyHeaderNeverEnds(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line.compare(0, 3, "ply") != 0 || line.find_first_not_of("\r", 3) != std::string::npos)
    return false;
  while (std::getline(in, line)) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line.compare(first, 10, "end_header") == 0 &&
        (line.size() == first + 10 || std::isspace((unsigned char)line[first + 10])))
      return false;
  }
  return true;
}

BaseDocument* Import(const std::string& path) {
  Assimp::Importer importer;
  try {
    const aiScene* scene = ReadWithAssimp(importer, path);
    // Some readers leave the file's up axis or their cameras' views as the file has them;
    // they are mended in the read scene, before anything is built from it.
    aiScene& editable = const_cast<aiScene&>(*scene);
    import::TurnZUpSceneToYUp(editable);
    import::MendViews(editable, path);
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

namespace {

// Whether the file's first character after white space (and a UTF-8 byte order mark) opens a
// JSON object, as every host document does. A file that cannot be read is left to the
// document reader, which says so.
bool StartsLikeJsonObject(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;
  char c = 0;
  int read = 0;
  while (in.get(c) && read++ < 4096) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isspace(u) || (read <= 3 && (u == 0xEF || u == 0xBB || u == 0xBF))) continue;
    return c == '{';
  }
  return false;
}

}  // namespace

bool IsForeignScene(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  std::string suffix;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) suffix = path.substr(dot + 1);
  for (char& c : suffix) c = char(std::tolower((unsigned char)c));
  if (suffix == "json") return false;
  // A suffix Assimp reads decides (a glTF file is JSON too); a file without one, or with one
  // Assimp does not know, is a host document when it reads like one, and otherwise Assimp
  // finds its format from its content.
  if (!suffix.empty() && Assimp::Importer().IsExtensionSupported("." + suffix)) return true;
  return !StartsLikeJsonObject(path);
}

bool RunWithTimeLimit(const std::function<void()>& job, double timeoutSeconds) {
  auto task = std::make_shared<ImportTask>();
  task->job = job;
  pthread_t thread;
  if (!StartWithLargeStack(task, &thread)) {
    job();
    return true;
  }
  std::unique_lock<std::mutex> lock(task->mutex);
  const auto limit = std::chrono::duration<double>(timeoutSeconds);
  if (!task->finished.wait_for(lock, limit, [&] { return task->done; })) {
    abandonedImports++;
    pthread_detach(thread);
    return false;
  }
  lock.unlock();
  pthread_join(thread, nullptr);
  if (task->error) std::rethrow_exception(task->error);
  return true;
}

bool ImportsAbandoned() { return abandonedImports > 0; }

BaseDocument* ImportScene(const std::string& path, double timeoutSeconds) {
  if (PlyHeaderNeverEnds(path))
    throw DocumentError(path + ": cannot read the scene: the PLY header never ends (it has no end_header line)");
  // The document is handed over through the task's own state: an abandoned import may still
  // finish after this call has returned, and its document is then left to the process's end
  // rather than freed on that thread while the host goes on.
  auto result = std::make_shared<BaseDocument*>(nullptr);
  const bool finished = RunWithTimeLimit([result, path] { *result = Import(path); }, timeoutSeconds);
  if (!finished) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", timeoutSeconds);
    throw DocumentError(path + ": the import did not finish within " + seconds +
                        " s; the file may be malformed, or need a longer time limit");
  }
  return *result;
}

}  // namespace host
