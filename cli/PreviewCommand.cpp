// tavrell preview: presses a material helper's preview button, answers the preview dialog from
// the flags, waits for the renderer's picture and copies it to the output file.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "HelperArguments.h"
#include "MessagesReportedByCommand.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginRegistry.h"
#include "ReplaceFile.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const char* const kRendererRequest = "Choose Kyrano dir";

// The quality names of the command and the dialog's entries they choose.
const std::map<std::string, std::string> kQualities = {{"draft", "PREVIEWDLG_QUALITY_LOW"},
                                                       {"normal", "PREVIEWDLG_QUALITY_MEDIUM"},
                                                       {"high", "PREVIEWDLG_QUALITY_HIGH"},
                                                       {"best", "PREVIEWDLG_QUALITY_BEST"}};
const std::map<std::string, std::string> kResolutions = {
    {"200", "PREVIEWDLG_RESOLUTION_200"}, {"350", "PREVIEWDLG_RESOLUTION_350"}, {"500", "PREVIEWDLG_RESOLUTION_500"}};

LONG Symbol(const char* name) {
  LONG value = 0;
  if (!host::PluginRegistry::Get().LookupSymbol(name, &value))
    throw CommandError(std::string("the plug-in's resources do not name ") + name);
  return value;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::file_time_type ModifiedOrOldest(const fs::path& path) {
  std::error_code ec;
  const fs::file_time_type time = fs::last_write_time(path, ec);
  return ec ? fs::file_time_type::min() : time;
}

class PreviewCommand : public Subcommand {
 public:
  const char* Name() const override { return "preview"; }
  const char* Description() const override {
    return "render a material helper's material on the preview sphere, as its preview button does, and save the picture";
  }

  void Setup(CLI::App& app) override {
    app.add_option("DOC", input_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("HELPER", helper_, "the material helper: a path such as /Materials/Wood, or a name")->required();
    app.add_option("--quality", quality_, "samples per pixel: draft 75, normal 200, high 400, best 1000")
        ->check(CLI::IsMember({"draft", "normal", "high", "best"}))
        ->capture_default_str();
    app.add_option("--resolution", resolution_, "the picture's side in pixels")
        ->check(CLI::IsMember({"200", "350", "500"}))
        ->capture_default_str();
    app.add_option("--subdivide", subdivide_, "subdivide the preview sphere at most N times (0 to 50)")
        ->check(CLI::Range(0, 50));
    app.add_option("-o,--output", output_, "the picture to write (.png); a missing folder is created")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) {
              return fs::path(text).extension() == ".png" ? std::string() : "the picture is a PNG: name it *.png";
            },
            "IMAGE.png"));
    app.add_option("--overwrite", overwrite_, "replace an existing picture: yes or no")->check(CLI::IsMember({"yes", "no"}));
    app.add_option("--renderer-dir", rendererDir_, "the folder holding the renderer's Kyrano.app, when none is stored yet")
        ->check(CLI::ExistingDirectory);
    app.add_option("--timeout", timeout_, "give up waiting for the picture after this many seconds")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
  }

  int Run(Session& session) override {
    const fs::path output = PrepareAbsoluteOutput(output_, overwrite_);
    // Opened by its full path, so that the files it names (textures) are named by full paths
    // in the material file, which lies in the plug-in's folder, not beside the document.
    BaseDocument* doc = session.OpenDocument(fs::absolute(input_).lexically_normal().string());
    BaseObject* helper = FindHelper(doc);
    const fs::path report = fs::path(GeGetPluginPath().GetString().str()) / "preview" / "preview.kys.report.txt";
    const fs::file_time_type reportBefore = ModifiedOrOldest(report);

    PressPreview(helper);
    const fs::path picture = helper->GetDataInstance()->GetFilename(Symbol("MATHELPER_PREVIEW_FILE"), Filename()).str();
    WaitForPicture(picture, report, reportBefore);
    CheckHelperShowsPicture(helper, picture);
    const std::string failure = replaceFileWithBytes(output.string(), ReadAll(picture));
    if (!failure.empty()) throw CommandError(failure);
    std::cout << "Preview image: " << output.string() << "\n";
    return 0;
  }

 private:
  BaseObject* FindHelper(BaseDocument* doc) const {
    BaseObject* op = FindMaterialHelper(doc, input_, helper_);
    if (!op->GetDataInstance()->GetLink(Symbol("MATHELPER_MATERIAL"), doc))
      throw CommandError(input_ + ": " + host::ObjectPath(op) + " links no material, so it has nothing to preview");
    return op;
  }

  // The button opens the dialog, which takes its gadgets from the script and renders.
  void PressPreview(BaseObject* helper) const {
    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kRendererRequest] =
        rendererDir_.empty() ? TAVRELL_DEFAULT_RENDERER_DIR : fs::absolute(rendererDir_).lexically_normal().string();
    in.gadgetScript.push_back(host::GadgetStep::SetTo("PREVIEWDLG_QUALITY", kQualities.at(quality_)));
    in.gadgetScript.push_back(host::GadgetStep::SetTo("PREVIEWDLG_RESOLUTION", kResolutions.at(resolution_)));
    if (subdivide_ >= 0) {
      in.gadgetScript.push_back(host::GadgetStep::SetTo("PREVIEWDLG_SUBDIVIDE", "on"));
      in.gadgetScript.push_back(host::GadgetStep::SetTo("PREVIEWDLG_MAX_SUBDIVISIONS", std::to_string(subdivide_)));
    }
    in.gadgetScript.push_back(host::GadgetStep::Pressing("PREVIEWDLG_RENDER"));
    MessagesReportedByCommand quiet;
    DescriptionCommand press;
    press.id = DescID(Symbol("MATHELPER_PREVIEW"));
    host::Console::Get().StartCapture();
    helper->Message(MSG_DESCRIPTION_COMMAND, &press);
    const std::vector<std::string> lines = host::Console::Get().StopCapture();
    if (!in.messages.empty()) throw CommandError(in.messages.back());
    if (!in.errors.empty()) throw CommandError(in.errors.back());
    if (in.dialogs.empty() || !in.dialogs.back().opened)
      throw CommandError("the preview dialog did not open: no renderer folder is known (give --renderer-dir)");
    if (!in.dialogs.back().result) throw CommandError("the preview was not rendered (see the console lines above)");
    if (std::find(lines.begin(), lines.end(), "successful!") == lines.end())
      throw CommandError("the renderer could not be started (see the console lines above)");
  }

  // The renderer runs on its own and puts the picture in place whole, so the picture's
  // existence means it is done. A report written after the press without the picture means
  // the renderer refused the scene or failed to draw.
  void WaitForPicture(const fs::path& picture, const fs::path& report, fs::file_time_type reportBefore) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_);
    while (!fs::exists(picture)) {
      if (ModifiedOrOldest(report) != reportBefore) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (fs::exists(picture)) break;
        throw CommandError("the renderer did not draw the preview; its report " + report.string() + " says:\n" +
                           ReadAll(report));
      }
      if (std::chrono::steady_clock::now() > deadline)
        throw CommandError("no preview picture " + picture.string() + " after " + std::to_string(int(timeout_)) +
                           " s: the renderer may still be running");
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  // What the attribute view asks for: the helper's preview bitmap, loaded from the picture.
  static void CheckHelperShowsPicture(BaseObject* helper, const fs::path& picture) {
    DescriptionGetBitmap request;
    request.id = DescID(Symbol("MATHELPER_PREVIEW_IMAGE"));
    helper->Message(MSG_DESCRIPTION_GETBITMAP, &request);
    if (!request.bmp) throw CommandError("the helper could not show the picture " + picture.string());
    BaseBitmap::Free(request.bmp);
  }

  std::string input_, helper_, output_, overwrite_, rendererDir_;
  std::string quality_ = "normal", resolution_ = "200";
  int subdivide_ = -1;
  double timeout_ = 600;
};

SubcommandRegistrar registrar([] { return std::make_unique<PreviewCommand>(); });

}  // namespace
}  // namespace cli
