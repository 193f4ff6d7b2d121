// tavrell export: runs the plug-in's Export and Run command on a document and drives its
// dialog from the flags: every gadget a user would set, the answers to the dialog's file
// requests and question, and the press of the export button.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <regex>

#include "CameraChoice.h"
#include "ConvertMaterials.h"
#include "MessagesReportedByCommand.h"
#include "RendererRun.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/PluginRegistry.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const LONG kExportAndRunCommand = 1021741;

// What the dialog asks, worded as the plug-in words it.
const char* const kSceneRequest = "Save kys...";
const char* const kImageRequest = "Save png...";
const char* const kRendererRequest = "Choose Kyrano dir";
const char* const kOverwriteQuestion = "File already exists. Overwrite?";

// A check box of the dialog with its pair of flags (--console and --no-console).
struct Toggle {
  const char* flags;
  const char* gadget;
  const char* help;
  bool value = false;  // the default until the flag is given
  CLI::Option* option = nullptr;
};

struct FrameRange {
  LONG first = 0, last = 0;
};

bool ParseFrameRange(const std::string& text, FrameRange* range) {
  static const std::regex form(R"(^\s*(-?\d{1,10})\s*:\s*(-?\d{1,10})\s*$)");
  std::smatch m;
  if (!std::regex_match(text, m, form)) return false;
  const long long first = std::stoll(m[1]), last = std::stoll(m[2]);
  if (first < std::numeric_limits<LONG>::min() || first > std::numeric_limits<LONG>::max() ||
      last < std::numeric_limits<LONG>::min() || last > std::numeric_limits<LONG>::max())
    return false;
  *range = {LONG(first), LONG(last)};
  return true;
}


std::string Absolute(const std::string& path) { return fs::absolute(fs::path(path)).lexically_normal().string(); }

class ExportCommand : public Subcommand {
 public:
  const char* Name() const override { return "export"; }
  const char* Description() const override {
    return "export a document to a Kyrano scene through the plug-in's Export and Run dialog, and with --run or --wait "
           "start the renderer";
  }

  void Setup(CLI::App& app) override {
    app.add_option("DOC", input_, "the document to export")->required()->check(CLI::ExistingFile);
    app.add_option("-o,--output", output_, "the scene file to write (.kys); a missing folder is created")
        ->required()
        ->check(NonEmptyFileName());
    CLI::Option* frames =
        app.add_option("--frames", frames_,
                       "export the frames FIRST:LAST; each frame's scene is named <scene>_frame<N>.kys")
            ->check(CLI::Validator(
                [](std::string& text) {
                  FrameRange r;
                  return ParseFrameRange(text, &r) ? std::string()
                                                   : "expected FIRST:LAST with two whole frame numbers, e.g. 0:10";
                },
                "FIRST:LAST"));
    CLI::Option* start = app.add_option("--start", start_, "the first frame of the range to export");
    CLI::Option* end = app.add_option("--end", end_, "the last frame of the range to export");
    CLI::Option* current = app.add_flag("--current-frame", current_,
                                        "export only the document's current frame (the default, unless "
                                        "--last-options brings back a stored frame range)");
    CLI::Option* frame = app.add_option("--frame", frame_, "export the document at this frame, as one scene");
    frames->excludes(start)->excludes(end)->excludes(current)->excludes(frame);
    current->excludes(start)->excludes(end);
    frame->excludes(start)->excludes(end);
    app.add_option("--camera", camera_, "look through this camera object (/Path) instead of the render camera");
    for (Toggle& t : toggles_)
      t.option = app.add_flag(t.flags, t.value, std::string(t.help) + (t.value ? " (default: on)" : " (default: off)"));
    app.add_flag("--wait", wait_,
                 "start the renderer (as --run does), wait for it on each scene in turn, show its report and fail "
                 "when it finds a scene broken");
    app.add_flag("--last-options", lastOptions_,
                 "start from the options the export dialog stored at its last export (in the plug-in's "
                 "presets/tavrellSettings.cfg) instead of the defaults shown here; flags given still apply");
    app.add_option("--port", port_, "the network port of the master renderer (default 7777)")->check(CLI::Range(1, 65535));
    app.add_option("--priority", priority_, "the renderer's priority: normal (the default), below-normal, low or idle")
        ->check(CLI::IsMember({"normal", "below-normal", "low", "idle"}));
    CLI::Option* image = app.add_option("--output-image", outputImage_, "the image the renderer writes (.png; default: the renderer chooses)")
                             ->check(NonEmptyFileName());
    CLI::Option* noImage = app.add_flag("--no-output-image", noOutputImage_, "let the renderer choose its image");
    image->excludes(noImage);
    app.add_option("--overwrite", overwrite_, "the answer to \"File already exists. Overwrite?\": yes or no")
        ->check(CLI::IsMember({"yes", "no"}));
    app.add_flag("--convert-materials", convertMaterials_,
                 "first run Convert Materials on the document: a material helper for each of its materials");
    app.add_option("--renderer-dir", rendererDir_,
                   "the folder holding the renderer's Kyrano.app; stored for later runs")
        ->check(CLI::ExistingDirectory);
  }

  int Run(Session& session) override {
    const std::string scene = PrepareOutput();
    if (!rendererDir_.empty() && !fs::exists(fs::path(rendererDir_) / "Kyrano.app"))
      throw CommandError(rendererDir_ +
                         " holds no Kyrano.app: give the folder that contains the renderer's Kyrano.app");
    BaseDocument* doc = session.OpenDocument(input_);
    if (convertMaterials_) ConvertMaterials(doc, false);
    if (!camera_.empty()) doc->GetRenderBaseDraw()->SetSceneCamera(FindCameraObject(doc, input_, camera_));
    if (frame_) SetDocumentFrame(doc, *frame_);
    WarnFramesOutsideDocument(doc);
    const host::PluginRecord* record = host::PluginRegistry::Get().Find(kExportAndRunCommand);
    if (!record || !record->command)
      throw CommandError("the plug-in registered no Export and Run command (" + std::to_string(kExportAndRunCommand) +
                         ")");

    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kSceneRequest] = scene;
    if (!outputImage_.empty()) in.fileAnswersByTitle[kImageRequest] = Absolute(outputImage_);
    in.fileAnswersByTitle[kRendererRequest] =
        rendererDir_.empty() ? TAVRELL_DEFAULT_RENDERER_DIR : Absolute(rendererDir_);
    if (!overwrite_.empty()) in.questionAnswersByText[kOverwriteQuestion] = overwrite_ == "yes";
    in.gadgetScript = Script();

    MessagesReportedByCommand quiet;
    record->command->Execute(doc);
    const std::vector<std::string> scenes = CheckOutcome(scene);
    if (CommandRunsRenderer(scenes.size())) return RunRendererOnEach(scenes);
    return 0;
  }

 private:
  // The absolute scene path, with its folder created.
  std::string PrepareOutput() const {
    const std::string scene = Absolute(output_);
    const fs::path folder = fs::path(scene).parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
      throw CommandError("cannot create the output folder " + folder.string() + ": " + ec.message());
    return scene;
  }

  Toggle& FindToggle(const std::string& gadget) {
    for (Toggle& t : toggles_)
      if (gadget == t.gadget) return t;
    throw std::logic_error("no toggle for " + gadget);
  }

  void AddToggle(std::deque<host::GadgetStep>& steps, const char* gadget) {
    const Toggle& t = FindToggle(gadget);
    if (t.option->count()) steps.push_back(host::GadgetStep::SetTo(gadget, t.value ? "on" : "off"));
  }

  // The steps in the order a user takes them: a gadget is enabled by the ones before it
  // (the port by the master, the master by export and run, the frames by the range).
  std::deque<host::GadgetStep> Script() {
    using host::GadgetStep;
    std::deque<GadgetStep> steps;
    if (!rendererDir_.empty()) steps.push_back(GadgetStep::Pressing("EXPORTDLG_CHOOSE_RENDERER"));
    if (!lastOptions_) AddDefaults(steps);
    if (wait_) steps.push_back(GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "on"));
    AddToggle(steps, "EXPORTDLG_EXPORT_AND_RUN");
    AddToggle(steps, "EXPORTDLG_START_MASTER");
    AddToggle(steps, "EXPORTDLG_CONSOLE_MODE");
    if (!priority_.empty()) steps.push_back(GadgetStep::SetTo("EXPORTDLG_PRIORITY", PrioritySymbol()));
    if (port_) steps.push_back(GadgetStep::SetTo("EXPORTDLG_PORT", std::to_string(port_)));
    if (!outputImage_.empty()) steps.push_back(GadgetStep::SetTo("EXPORTDLG_SPECIFY_RENDER_OUTPUT", "on"));
    if (noOutputImage_) steps.push_back(GadgetStep::SetTo("EXPORTDLG_SPECIFY_RENDER_OUTPUT", "off"));
    AddToggle(steps, "EXPORTDLG_RENDER_ALPHA");
    AddToggle(steps, "EXPORTDLG_NO_GEOMETRY");
    AddToggle(steps, "EXPORTDLG_RENDER_CLAY");
    AddToggle(steps, "EXPORTDLG_SEPARATE_MATS");
    AddToggle(steps, "EXPORTDLG_SEPARATE_SETTINGS");
    AddFrames(steps);
    AddToggle(steps, "EXPORTDLG_ANIMATION_STATIC");
    // The command starts the renderer itself when it must wait for it (each frame's scene in
    // turn): the dialog then only exports.
    if (CommandRunsRenderer(FramesAsked())) steps.push_back(GadgetStep::SetTo("EXPORTDLG_EXPORT_AND_RUN", "off"));
    steps.push_back(GadgetStep::Pressing("EXPORTDLG_EXPORT"));
    return steps;
  }

  // Every stored option back to the default its flag shows, so that nothing of an earlier
  // run comes back. A gadget is set while the ones that enable it are on.
  static void AddDefaults(std::deque<host::GadgetStep>& steps) {
    using host::GadgetStep;
    for (const auto& [gadget, value] : std::vector<std::pair<const char*, const char*>>{
             {"EXPORTDLG_EXPORT_AND_RUN", "on"},
             {"EXPORTDLG_START_MASTER", "on"},
             {"EXPORTDLG_PORT", "7777"},
             {"EXPORTDLG_PRIORITY", "EXPORTDLG_PRIORITY_NORMAL"},
             {"EXPORTDLG_CONSOLE_MODE", "off"},
             {"EXPORTDLG_START_MASTER", "off"},
             {"EXPORTDLG_EXPORT_AND_RUN", "off"},
             {"EXPORTDLG_EXPORT_ANIMATION", "on"},
             {"EXPORTDLG_ANIMATION_START", "0"},
             {"EXPORTDLG_ANIMATION_END", "0"},
             {"EXPORTDLG_ANIMATION_STATIC", "on"},
             {"EXPORTDLG_EXPORT_ANIMATION", "off"},
             {"EXPORTDLG_SPECIFY_RENDER_OUTPUT", "off"},
             {"EXPORTDLG_RENDER_ALPHA", "off"},
             {"EXPORTDLG_NO_GEOMETRY", "off"},
             {"EXPORTDLG_RENDER_CLAY", "off"},
             {"EXPORTDLG_SEPARATE_MATS", "off"},
             {"EXPORTDLG_SEPARATE_SETTINGS", "off"}})
      steps.push_back(GadgetStep::SetTo(gadget, value));
  }

  // The frames the flags name, when they name any.
  std::optional<FrameRange> RangeAsked() const {
    FrameRange range;
    if (!frames_.empty() && ParseFrameRange(frames_, &range)) return range;
    if (start_ && end_) return FrameRange{*start_, *end_};
    if (frame_) return FrameRange{*frame_, *frame_};
    return std::nullopt;
  }

  // How many frames the flags ask for (1 without a range flag).
  long long FramesAsked() const {
    const std::optional<FrameRange> range = RangeAsked();
    return range ? std::max(0LL, 1LL + range->last - range->first) : 1;
  }

  bool RunAsked() const {
    const Toggle& run = toggles_[0];
    return wait_ || (run.option->count() > 0 && run.value);
  }

  bool CommandRunsRenderer(size_t frames) const { return RunAsked() && (wait_ || frames > 1); }

  // Warns when the frames to export lie outside the document's own frames.
  void WarnFramesOutsideDocument(BaseDocument* doc) const {
    const std::optional<FrameRange> asked = RangeAsked();
    if (!asked) return;
    const FrameRange range = *asked;
    const LONG fps = doc->GetFps() > 0 ? doc->GetFps() : 30;
    const LONG minFrame = doc->GetMinTime().GetFrame(fps), maxFrame = doc->GetMaxTime().GetFrame(fps);
    if (minFrame > maxFrame || (range.first >= minFrame && range.last <= maxFrame)) return;
    std::cerr << "tavrell: warning: frames " << range.first << " to " << range.last << " reach outside "
              << input_ << "'s frames " << minFrame << " to " << maxFrame
              << "; the frames outside show the document as it stands there" << std::endl;
  }

  // The renderer on each scene in turn, its report shown; 1 when it found a scene broken.
  int RunRendererOnEach(const std::vector<std::string>& scenes) const {
    const host::DialogRecord& dialog = host::Interaction::Get().dialogs.back();
    const host::GadgetRecord* shown = dialog.Find(std::string("EXPORTDLG_RENDERER_PATH"));
    if (!shown || shown->value.GetString().str().empty()) throw CommandError("the export dialog named no renderer");
    fs::path executable(shown->value.GetString().str());
    if (GadgetLong(dialog, "EXPORTDLG_CONSOLE_MODE")) executable.replace_filename("KyranoConsole");
    int failed = 0;
    for (size_t i = 0; i < scenes.size(); i++) {
      RendererRun run;
      run.executable = executable.string();
      run.scene = scenes[i];
      run.outputImage = ImageFor(scenes.size() > 1, scenes[i]);
      run.master = GadgetLong(dialog, "EXPORTDLG_START_MASTER") != 0;
      run.port = int(GadgetLong(dialog, "EXPORTDLG_PORT"));
      if (RunRendererAndWait(run) != 0) {
        std::cerr << "tavrell: the renderer found " << scenes[i] << " broken (its report: " << scenes[i]
                  << ".report.txt)" << std::endl;
        failed++;
      }
    }
    return failed ? 1 : 0;
  }

  // The image of one scene: the --output-image file, with the scene's frame tag for a range.
  std::string ImageFor(bool range, const std::string& scene) const {
    if (outputImage_.empty()) return std::string();
    fs::path image = fs::path(Absolute(outputImage_)).replace_extension();
    if (range) {
      const std::string stem = fs::path(scene).stem().string();
      image += stem.substr(stem.rfind("_frame"));
    }
    return image.string() + ".png";
  }

  void AddFrames(std::deque<host::GadgetStep>& steps) const {
    using host::GadgetStep;
    if (current_) steps.push_back(GadgetStep::SetTo("EXPORTDLG_EXPORT_ANIMATION", "off"));
    FrameRange range;
    const bool whole = !frames_.empty() && ParseFrameRange(frames_, &range);
    if (!whole && !start_ && !end_) return;
    steps.push_back(GadgetStep::SetTo("EXPORTDLG_EXPORT_ANIMATION", "on"));
    if (whole || start_)
      steps.push_back(GadgetStep::SetTo("EXPORTDLG_ANIMATION_START", std::to_string(whole ? range.first : *start_)));
    if (whole || end_)
      steps.push_back(GadgetStep::SetTo("EXPORTDLG_ANIMATION_END", std::to_string(whole ? range.last : *end_)));
  }

  std::string PrioritySymbol() const {
    if (priority_ == "below-normal") return "EXPORTDLG_PRIORITY_BELOW_NORMAL";
    if (priority_ == "low") return "EXPORTDLG_PRIORITY_LOW";
    if (priority_ == "idle") return "EXPORTDLG_PRIORITY_IDLE";
    return "EXPORTDLG_PRIORITY_NORMAL";
  }

  // Turns what the dialog did into one line and a non-zero exit when no scene came of it;
  // returns the scenes written.
  std::vector<std::string> CheckOutcome(const std::string& scene) const {
    const host::Interaction& in = host::Interaction::Get();
    if (in.dialogs.empty()) throw CommandError("the Export and Run command opened no dialog");
    const host::DialogRecord& dialog = in.dialogs.back();
    if (!dialog.opened) {
      if (!in.errors.empty()) throw CommandError(in.errors.front());
      throw CommandError(
          "the export dialog did not open: the renderer folder could not be stored (the plug-in's presets folder must "
          "be writable)");
    }
    if (!in.messages.empty()) throw CommandError(in.messages.back());
    if (!dialog.result && OverwriteRefused())
      throw CommandError(scene + " exists and --overwrite no kept it: nothing was exported");
    if (!in.errors.empty()) throw CommandError(in.errors.front() + Hint());
    if (!dialog.result) throw CommandError("the export dialog closed without exporting");
    return CheckScenesWritten(dialog, scene);
  }

  bool OverwriteRefused() const {
    const host::Interaction& in = host::Interaction::Get();
    auto answer = in.questionAnswersByText.find(kOverwriteQuestion);
    return answer != in.questionAnswersByText.end() && !answer->second &&
           std::find(in.questions.begin(), in.questions.end(), kOverwriteQuestion) != in.questions.end();
  }

  std::string Hint() const {
    const std::vector<std::string>& unanswered = host::Interaction::Get().unanswered;
    if (unanswered.empty()) return "";
    if (unanswered.back() == kImageRequest) return " (give the image with --output-image FILE, or --no-output-image)";
    if (unanswered.back() == kOverwriteQuestion) return " (answer it with --overwrite yes or --overwrite no)";
    return " (give the answer with a flag)";
  }

  static LONG GadgetLong(const host::DialogRecord& dialog, const char* symbol) {
    const host::GadgetRecord* g = dialog.Find(std::string(symbol));
    return g ? g->value.GetLong() : 0;
  }

  // The scene files the dialog's frame range names: one plain file for a single frame, a
  // file per frame for a range.
  static std::vector<std::string> CheckScenesWritten(const host::DialogRecord& dialog, const std::string& scene) {
    Filename plain(scene.c_str());
    plain.SetSuffix("kys");
    LONG first = 0, last = 0;
    const bool range = GadgetLong(dialog, "EXPORTDLG_EXPORT_ANIMATION") != 0;
    if (range) {
      first = GadgetLong(dialog, "EXPORTDLG_ANIMATION_START");
      last = GadgetLong(dialog, "EXPORTDLG_ANIMATION_END");
      if (first > last)
        throw CommandError("nothing was exported: the first frame " + std::to_string(first) +
                           " comes after the last frame " + std::to_string(last) + " (the options were stored)");
    }
    std::vector<std::string> expected;
    if (!range || first == last) {
      expected.push_back(plain.str());
    } else {
      Filename base = plain;
      base.ClearSuffix();
      for (long long frame = first; frame <= last; frame++)
        expected.push_back(base.str() + "_frame" + std::to_string(frame) + ".kys");
    }
    for (const std::string& file : expected)
      if (!fs::exists(file)) throw CommandError("the export wrote no scene to " + file);
    return expected;
  }

  std::string input_, output_, frames_, priority_, outputImage_, overwrite_, rendererDir_, camera_;
  std::optional<LONG> start_, end_, frame_;
  bool current_ = false, noOutputImage_ = false, wait_ = false, lastOptions_ = false;
  bool convertMaterials_ = false;
  int port_ = 0;
  std::vector<Toggle> toggles_ = {
      {"--run,!--no-run", "EXPORTDLG_EXPORT_AND_RUN",
       "start the renderer on the scene after the export; over a frame range on each frame's scene in turn, waiting "
       "for each"},
      {"--console,!--no-console", "EXPORTDLG_CONSOLE_MODE", "start the console renderer"},
      {"--master,!--no-master", "EXPORTDLG_START_MASTER", "start the renderer as network master"},
      {"--render-alpha,!--no-render-alpha", "EXPORTDLG_RENDER_ALPHA", "render alpha"},
      {"--no-geometry,!--geometry", "EXPORTDLG_NO_GEOMETRY", "write no mesh files"},
      {"--clay,!--no-clay", "EXPORTDLG_RENDER_CLAY", "clay rendering"},
      {"--separate-mats,!--no-separate-mats", "EXPORTDLG_SEPARATE_MATS", "separate material file"},
      {"--separate-settings,!--no-separate-settings", "EXPORTDLG_SEPARATE_SETTINGS", "separate settings file"},
      {"--static,!--no-static", "EXPORTDLG_ANIMATION_STATIC", "static animation", true},
  };
};

SubcommandRegistrar registrar([] { return std::make_unique<ExportCommand>(); });

}  // namespace
}  // namespace cli
