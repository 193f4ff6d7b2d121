// The plug-in loaded from its folder for one test, and the attribute view's questions to a
// node: its description, and whether a parameter is shown.
#pragma once
#include <gtest/gtest.h>

#include "c4d.h"
#include "host/Console.h"
#include "host/PluginLoader.h"

class PluginNodes : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Console::Get().SetEcho(false);
    ASSERT_TRUE(lib_.Load(TAVRELL_PLUGIN_DIR)) << lib_.error();
  }
  void TearDown() override {
    // Nodes go before the plug-in whose code they run.
    SetActiveDocument(nullptr);
    BaseDocument::Free(doc_);
    lib_.Unload();
  }

  // Builds the node's description as the attribute view does; false when the node refuses.
  static bool Describe(BaseList2D* node, Description* desc) {
    LONG flags = 0;
    if (!node->GetNodeData()->GetDDescription(node, desc, flags)) return false;
    EXPECT_TRUE(flags & DESCFLAGS_DESC_LOADED);
    return true;
  }
  static bool Hidden(const Description& desc, LONG id) {
    const BaseContainer* bc = const_cast<Description&>(desc).GetParameterI(DescID(id));
    EXPECT_NE(bc, nullptr) << "no description element " << id;
    return bc && bc->GetBool(DESC_HIDE, FALSE);
  }

  host::PluginLibrary lib_;
  BaseDocument* doc_ = nullptr;
};
