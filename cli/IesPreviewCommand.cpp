// tavrell ies-preview: presses the preview button of an object's light tag: the renderer
// renders the tag's IES profile on the plug-in's preview scene into the tag's preview image.
#include <filesystem>
#include <iostream>

#include "DocumentFiles.h"
#include "MessagesReportedByCommand.h"
#include "OutputFile.h"
#include "Subcommand.h"
#include "host/Console.h"
#include "host/DocumentIO.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

const LONG kLightTag = 1020892;
const LONG kPreviewButton = 1309;    // LIGHTTAG_IES_PREVIEW
const LONG kIesFile = 1308;          // LIGHTTAG_IES_FILE
const LONG kPreviewImage = 1311;     // LIGHTTAG_IES_IMAGE_FILE
const char* const kRendererRequest = "Choose Kyrano dir";

class IesPreviewCommand : public Subcommand {
 public:
  const char* Name() const override { return "ies-preview"; }
  const char* Description() const override {
    return "render the IES profile of an object's light tag on the plug-in's preview scene, as the tag's preview "
           "button does";
  }

  void Setup(CLI::App& app) override {
    app.add_option("DOC", input_, "the document")->required()->check(CLI::ExistingFile);
    app.add_option("OBJECT", object_, "the object carrying the light tag: a path such as /Lamps/Spot, or a name")
        ->required();
    app.add_option("--renderer-dir", rendererDir_,
                   "the folder holding the renderer's Kyrano.app, when none is stored yet")
        ->check(CLI::ExistingDirectory);
    app.add_option("-o,--output", output_,
                   "save the document here afterwards: the tag keeps the name of its preview image");
    AddOverwriteOption(app, &overwrite_);
  }

  int Run(Session& session) override {
    if (!output_.empty()) PrepareOutputFile(output_, overwrite_);
    BaseDocument* doc = session.OpenDocument(input_);
    BaseObject* op = object_[0] == '/' ? host::FindObjectByPath(doc, object_) : doc->SearchObject(String(object_));
    if (!op) throw CommandError(input_ + ": no object '" + object_ + "'");
    const std::string where = input_ + ": " + host::ObjectPath(op);
    BaseTag* tag = op->GetTag(kLightTag);
    if (!tag) throw CommandError(where + " has no light tag");
    if (!tag->GetDataInstance()->GetFilename(kIesFile, Filename()).Content())
      throw CommandError(where + ": the light tag names no IES profile file");

    host::Interaction& in = host::Interaction::Get();
    in.fileAnswersByTitle[kRendererRequest] =
        rendererDir_.empty() ? TAVRELL_DEFAULT_RENDERER_DIR : fs::absolute(rendererDir_).lexically_normal().string();
    MessagesReportedByCommand quiet;
    DescriptionCommand press;
    press.id = DescID(kPreviewButton);
    const Bool started = tag->Message(MSG_DESCRIPTION_COMMAND, &press);
    if (!in.messages.empty()) throw CommandError(in.messages.back());
    if (!started) throw CommandError("the renderer was not started (see the console lines above)");
    std::cout << "Preview image: " << tag->GetDataInstance()->GetFilename(kPreviewImage, Filename()).str() << "\n";
    if (!output_.empty()) {
      RebaseFileNames(doc, output_);
      session.SaveDocument(output_);
    }
    return 0;
  }

 private:
  std::string input_, object_, rendererDir_, output_, overwrite_;
};

SubcommandRegistrar registrar([] { return std::make_unique<IesPreviewCommand>(); });

}  // namespace
}  // namespace cli
