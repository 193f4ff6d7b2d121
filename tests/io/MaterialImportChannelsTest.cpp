// Imported materials carry their colours, textures and highlights at the ids the plug-in
// reads, and only the highlights the file gives.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "c4d.h"
#include "host/Console.h"
#include "host/SceneImport.h"

using namespace testing_support;

TEST(MaterialImport, ColourTextureAndHighlightAtThePluginsIds) {
  TempDir dir("import_materials");
  WriteFile(dir.str("wood.png"), "only its existence matters");
  WriteFile(dir.str("two.mtl"),
            "newmtl Matte\nKd 0.5 0.25 1.0\nmap_Kd wood.png\n"
            "newmtl Shiny\nKd 2 1 0.5\nKs 1 1 1\nNs 100\n");
  WriteFile(dir.str("two.obj"),
            "mtllib two.mtl\n"
            "o A\nv 0 0 0\nv 1 0 0\nv 1 1 0\nusemtl Matte\nf 1 2 3\n"
            "o B\nv 0 0 1\nv 1 0 1\nv 1 1 1\nusemtl Shiny\nf 4 5 6\n");
  host::Console::Get().SetEcho(false);
  std::unique_ptr<BaseDocument, void (*)(BaseDocument*)> doc(host::ImportScene(dir.str("two.obj")),
                                                             [](BaseDocument* d) { BaseDocument::Free(d); });
  ASSERT_NE(doc, nullptr);
  BaseMaterial* matte = doc->SearchMaterial("Matte");
  BaseMaterial* shiny = doc->SearchMaterial("Shiny");
  ASSERT_NE(matte, nullptr);
  ASSERT_NE(shiny, nullptr);

  // Colour 2100 with brightness 2101; a colour brighter than white keeps the rest in the
  // brightness.
  EXPECT_EQ(matte->GetDataInstance()->GetVector(2100), Vector(0.5f, 0.25f, 1.0f));
  EXPECT_FLOAT_EQ(matte->GetDataInstance()->GetReal(2101), 1.0f);
  EXPECT_EQ(shiny->GetDataInstance()->GetVector(2100), Vector(1.0f, 0.5f, 0.25f));
  EXPECT_FLOAT_EQ(shiny->GetDataInstance()->GetReal(2101), 2.0f);

  // The texture sits in the colour channel, as the channel's data shows it.
  EXPECT_TRUE(matte->GetChannelState(CHANNEL_COLOR));
  EXPECT_EQ(matte->GetChannel(CHANNEL_COLOR)->GetData().GetString(BASECHANNEL_TEXTURE).str(), "wood.png");
  EXPECT_EQ(shiny->GetChannel(CHANNEL_COLOR)->GetData().GetString(BASECHANNEL_TEXTURE).str(), "");

  // A new material has a highlight: the matte one's is switched off, the shiny one's kept.
  EXPECT_FALSE(matte->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_TRUE(shiny->GetChannelState(CHANNEL_SPECULAR));
  EXPECT_GT(shiny->GetDataInstance()->GetReal(MATERIAL_SPECULAR_HEIGHT), 0.0f);
}
