// Runs the plug-in's Import .kym command, loaded from its folder, on a material file written by
// the test, and finds what it made in the document.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/DocumentIO.h"
#include "host/PluginLoader.h"
#include "host/PluginRegistry.h"

class ImportKym : public ::testing::Test {
 protected:
  static constexpr LONG kImportKym = 1022469;
  static constexpr LONG kHelper = 1020893;
  static constexpr LONG kGroup = 1023293;
  static constexpr LONG kIslShader = 1023863;

  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(TAVRELL_PLUGIN_DIR)) << lib_.error();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showMessages = false;
    Open("{}");
  }
  void TearDown() override {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
    lib_.Unload();
    host::Interaction::Get().Reset();
    host::Interaction::Get().showMessages = true;
  }

  void Open(const std::string& json) {
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
    doc_ = host::ParseDocument(json, dir_.str("doc.json"));
    SetActiveDocument(doc_);
  }

  // Writes the text as a material file and imports it; the console lines and message boxes
  // are kept.
  void ImportText(const std::string& xml, const std::string& file = "mats.kym") {
    testing_support::WriteFile(dir_.str(file), xml);
    ImportFile(dir_.str(file));
  }
  void ImportFile(const std::string& path) {
    host::Interaction& in = host::Interaction::Get();
    in.messages.clear();
    in.fileAnswers.push_back(path);
    host::Console::Get().StartCapture();
    EXPECT_TRUE(host::PluginRegistry::Get().Find(kImportKym)->command->Execute(doc_));
    console_ = host::Console::Get().StopCapture();
    messages_ = in.messages;
  }

  // A `scenedata` file holding the given elements.
  static std::string Kym(const std::string& body) { return "<?xml version=\"1.0\" ?>\n<scenedata>\n" + body + "</scenedata>\n"; }
  static std::string Material(const std::string& name, const std::string& type) {
    return "<material><name>" + name + "</name>" + type + "</material>\n";
  }
  static std::string Rgb(const std::string& rgb, const std::string& gamma = "1") {
    return "<constant><rgb><rgb>" + rgb + "</rgb><gamma>" + gamma + "</gamma></rgb></constant>";
  }

  // The helpers under "Imported Materials", in object-manager order.
  std::vector<BaseObject*> Helpers() const {
    std::vector<BaseObject*> out;
    BaseObject* group = doc_->SearchObject("Imported Materials");
    for (BaseObject* op = group ? group->GetDown() : nullptr; op; op = op->GetNext()) out.push_back(op);
    return out;
  }
  BaseObject* Helper(const std::string& name) const {
    for (BaseObject* op : Helpers())
      if (op->GetName() == String(name)) return op;
    return nullptr;
  }
  BaseContainer Data(const std::string& name) const {
    BaseObject* op = Helper(name);
    EXPECT_NE(op, nullptr) << "no helper " << name;
    return op ? op->GetData() : BaseContainer();
  }
  LONG MaterialCount() const {
    LONG n = 0;
    for (BaseMaterial* m = doc_->GetFirstMaterial(); m; m = m->GetNext()) n++;
    return n;
  }
  bool Printed(const std::string& line) const {
    for (const std::string& l : console_)
      if (l == line) return true;
    return false;
  }
  // The one message box of warnings, or "" when there was none.
  std::string Warnings() const {
    for (const std::string& m : messages_)
      if (m.rfind("Import warnings:", 0) == 0) return m;
    return "";
  }

  host::PluginLibrary lib_;
  BaseDocument* doc_ = nullptr;
  testing_support::TempDir dir_{"importkym"};
  std::vector<std::string> console_, messages_;
};

inline void ExpectVector(const Vector& v, Real x, Real y, Real z, Real eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}
