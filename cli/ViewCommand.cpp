#include "CameraChoice.h"
#include "OutputFile.h"
#include "Subcommand.h"
#include "ViewPicture.h"
#include "host/DocumentIO.h"
#include "ReplaceFile.h"

namespace cli {
namespace {

// The largest picture side the view draws, as the renderer's.
const LONG kMaxSide = 16384;

// Written through the system's one file writer: a failed write leaves no half file, and a
// link planted beside the target is never written through.
void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string failure = replaceFileWithBytes(path, bytes);
  if (!failure.empty()) throw CommandError(failure);
}

class ViewCommand : public Subcommand {
 public:
  const char* Name() const override { return "view"; }
  const char* Description() const override {
    return "draw the render view through the scene camera (the editor camera framing every object when the document "
           "has none) as an SVG, PDF or PNG: wireframes, safe frame and the plug-in's drawing, or with --fill a "
           "black and white mask of the rendered surfaces";
  }
  void Setup(CLI::App& app) override {
    app.add_option("DOC", docPath_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "the picture to write; its suffix (.svg, .pdf, .png) chooses the format")
        ->required()
        ->check(CLI::Validator(
            [](std::string& path) {
              ViewCanvas::Format format;
              return ViewCanvas::FormatOf(path, &format) ? std::string() : "the picture must end in .svg, .pdf or .png: " + path;
            },
            "PICTURE"));
    widthOption_ = app.add_option("--width", width_, "width of the picture in pixels (default: the render resolution's; "
                                                     "alone it keeps the render's aspect)")
                       ->check(CLI::Range(LONG(1), kMaxSide));
    heightOption_ = app.add_option("--height", height_, "height of the picture in pixels (default: the render resolution's; "
                                                        "alone it keeps the render's aspect)")
                        ->check(CLI::Range(LONG(1), kMaxSide));
    app.add_option("--camera", camera_, "look through this camera object (/Path) instead of the render camera");
    frameOption_ = app.add_option("--frame", frame_, "show the document at this frame (default: its current frame)");
    AddOverwriteOption(app, &overwrite_);
    app.add_flag("--fill", fill_, "draw the rendered surfaces filled white on black, without antialiasing, as a mask to "
                                  "compare a rendered picture with");
  }

  int Run(Session& session) override {
    PrepareOutputFile(output_, overwrite_);
    BaseDocument* doc = session.OpenDocument(docPath_);
    BaseDraw* bd = doc->GetRenderBaseDraw();
    if (!camera_.empty()) bd->SetSceneCamera(FindCameraObject(doc, docPath_, camera_));
    if (frameOption_->count() > 0) SetDocumentFrame(doc, frame_);
    // The view shows the document evaluated at its time, caches built.
    doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE);
    LONG width, height;
    PictureSize(doc, &width, &height);
    bd->SetFrameSize(width, height);
    const host::Visibility visibility = fill_ ? host::Visibility::Render : host::Visibility::Editor;
    const std::vector<ViewObject> objects = CollectViewObjects(doc, bd, bd->GetSceneCamera(doc), visibility);
    ViewCanvas::Format format;
    ViewCanvas::FormatOf(output_, &format);
    std::string bytes;
    try {
      bytes = DrawViewPicture(format, *bd, objects, fill_ ? ViewStyle::Mask : ViewStyle::Wireframe);
    } catch (const std::exception& e) {
      throw CommandError("cannot draw " + output_ + ": " + e.what());
    }
    WriteFileAtomically(output_, bytes);
    return 0;
  }

 private:
  // The render resolution; a width or height given alone keeps its aspect.
  void PictureSize(BaseDocument* doc, LONG* width, LONG* height) const {
    LONG xres = 0, yres = 0;
    if (const RenderData* rd = doc->GetActiveRenderData()) {
      xres = rd->GetDataInstance()->GetLong(RDATA_XRES, 0);
      yres = rd->GetDataInstance()->GetLong(RDATA_YRES, 0);
    }
    if (xres <= 0 || yres <= 0) xres = 800, yres = 600;  // the host's default render resolution
    const double aspect = double(xres) / double(yres);
    const bool w = widthOption_->count() > 0, h = heightOption_->count() > 0;
    *width = w ? width_ : h ? LONG(std::lround(height_ * aspect)) : xres;
    *height = h ? height_ : w ? LONG(std::lround(width_ / aspect)) : yres;
    if (*width < 1 || *height < 1 || *width > kMaxSide || *height > kMaxSide)
      throw CommandError(docPath_ + ": a picture of " + std::to_string(*width) + " x " + std::to_string(*height) +
                         " pixels is out of range (1 to " + std::to_string(kMaxSide) + " a side); give --width and --height");
  }

  std::string docPath_, output_, camera_, overwrite_;
  LONG width_ = 0, height_ = 0, frame_ = 0;
  bool fill_ = false;
  CLI::Option* widthOption_ = nullptr;
  CLI::Option* heightOption_ = nullptr;
  CLI::Option* frameOption_ = nullptr;
};

SubcommandRegistrar registrar([] { return std::make_unique<ViewCommand>(); });

}  // namespace
}  // namespace cli
