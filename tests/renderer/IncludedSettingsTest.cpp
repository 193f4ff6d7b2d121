// A settings file the scene includes sets the picture's size over the scene's own.
#include <gtest/gtest.h>

#include "RenderFixture.h"
#include "SceneCheck.h"

using namespace testing_support;

TEST(IncludedSettings, SetThePictureSizeSideBySideAndAreChecked) {
  TempDir dir("included_settings");
  TestScene scene;
  scene.width = 16;
  scene.height = 12;
  WriteFile(dir.str("wide.kys"), "<scenedata><renderer_settings><width>40</width><height>8</height></renderer_settings></scenedata>");
  WriteFile(dir.str("tall.kys"), "<scenedata><renderer_settings><height>30</height></renderer_settings></scenedata>");
  scene.body = "<include><pathname>wide.kys</pathname></include><include><pathname>" + dir.str("tall.kys") +
               "</pathname></include>";
  std::string path = scene.Write(dir);
  EXPECT_TRUE(renderer::CheckScene(path).problems.empty());
  auto built = Build(path);
  ASSERT_TRUE(built);
  EXPECT_EQ(built->settings.width, 40);
  EXPECT_EQ(built->settings.height, 30) << "the last include wins, side by side";

  scene.body = "<include><pathname>tall.kys</pathname></include>";
  built = Build(scene.Write(dir));
  ASSERT_TRUE(built);
  EXPECT_EQ(built->settings.width, 16) << "a side the settings file leaves out stays the scene's";
  EXPECT_EQ(built->settings.height, 30);

  WriteFile(dir.str("bad.kys"), "<scenedata><renderer_settings><width>0</width></renderer_settings></scenedata>");
  scene.body = "<include><pathname>bad.kys</pathname></include>";
  const renderer::SceneFindings findings = renderer::CheckScene(scene.Write(dir));
  ASSERT_EQ(findings.problems.size(), 1u);
  EXPECT_EQ(findings.problems[0].file, dir.str("bad.kys"));
  EXPECT_EQ(findings.problems[0].element, "renderer_settings/width");
}
