#include <set>

#include "NodeFixture.h"
#include "description/oMyRenderSettings.h"

namespace {

// Sets the host's unit preference for one scope.
class UnitPreference {
 public:
  explicit UnitPreference(LONG unit) : saved_(GetWorldContainerInstance()->GetLong(WPREF_UNITS_BASIC, 3)) {
    GetWorldContainerInstance()->SetLong(WPREF_UNITS_BASIC, unit);
  }
  ~UnitPreference() { GetWorldContainerInstance()->SetLong(WPREF_UNITS_BASIC, saved_); }

 private:
  LONG saved_;
};

std::set<LONG> ShownIds(const Description& d) {
  std::set<LONG> ids;
  for (const auto& p : d.GetParameters())
    if (d.IsShown(p.first)) ids.insert(p.first);
  return ids;
}

}  // namespace

TEST_F(PluginNodes, ANewRenderSettingsNodeHoldsTheDefaults) {
  UnitPreference centimetres(3);
  BaseVideoPost* vp = BaseVideoPost::Alloc(oMyRenderSettings);
  ASSERT_NE(vp, nullptr);
  const BaseContainer* bc = vp->GetDataInstance();
  EXPECT_FALSE(bc->GetBool(RENDERSETTINGS_ADVANCED, TRUE));
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_MAX_DEPTH), 10000);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_MAX_REJECTIONS), 1000);
  EXPECT_EQ(bc->GetReal(RENDERSETTINGS_HALT_TIME), -1.0f);
  EXPECT_EQ(bc->GetReal(RENDERSETTINGS_HALT_SPP), -1.0f);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_MODE), RENDERSETTINGS_MODE_BIDIRECTIONAL_METROPOLIS);
  // The periods are numbers that the exporter reads as whole seconds.
  EXPECT_EQ(bc->GetData(RENDERSETTINGS_DISPLAY_PERIOD).GetType(), DA_REAL);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_DISPLAY_PERIOD), 60);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_IMAGE_SAVE_PERIOD), 300);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_NUM_THREADS), GeGetCPUCount());
  EXPECT_TRUE(bc->GetBool(RENDERSETTINGS_AUTO_THREADS));
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_BIH_TRI_THRESHOLD), 800);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_ENVIRONMENT), RENDERSETTINGS_ENVIRONMENT_NONE);
  EXPECT_EQ(bc->GetDataPointer(RENDERSETTINGS_SUN), nullptr);
  EXPECT_EQ(bc->GetDataPointer(RENDERSETTINGS_BACKGROUND_MATERIAL), nullptr);
  EXPECT_EQ(bc->GetLong(RENDERSETTINGS_UNIT), RENDERSETTINGS_UNIT_CM);
  EXPECT_EQ(bc->GetReal(RENDERSETTINGS_CUSTOM_SCALE), 1.0f);
  BaseVideoPost::Free(vp);
}

TEST_F(PluginNodes, TheUnitFollowsTheHostsPreference) {
  const std::pair<LONG, LONG> cases[] = {{1, RENDERSETTINGS_UNIT_KM}, {2, RENDERSETTINGS_UNIT_M}, {3, RENDERSETTINGS_UNIT_CM},
                                         {4, RENDERSETTINGS_UNIT_MM}, {10, RENDERSETTINGS_UNIT_CUSTOM}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    UnitPreference unit(c.first);
    BaseVideoPost* vp = BaseVideoPost::Alloc(oMyRenderSettings);
    ASSERT_NE(vp, nullptr);
    EXPECT_EQ(vp->GetDataInstance()->GetLong(RENDERSETTINGS_UNIT), c.second);
    // Inches have no unit of their own: a custom scale, which starts at one.
    EXPECT_EQ(vp->GetDataInstance()->GetReal(RENDERSETTINGS_CUSTOM_SCALE), 1.0f);
    BaseVideoPost::Free(vp);
  }
}

TEST_F(PluginNodes, RenderSettingsShowOnlyWhatTheirChoicesUse) {
  UnitPreference centimetres(3);
  BaseVideoPost* vp = BaseVideoPost::Alloc(oMyRenderSettings);
  ASSERT_NE(vp, nullptr);
  BaseContainer* bc = vp->GetDataInstance();
  const std::set<LONG> advanced = {RENDERSETTINGS_LARGE_MUTATION_PROB, RENDERSETTINGS_MAX_CHANGE, RENDERSETTINGS_MAX_REJECTIONS,
                                   RENDERSETTINGS_MAX_DEPTH, RENDERSETTINGS_BIH_TRI_THRESHOLD};
  std::set<LONG> shownBefore;
  {
    Description d;
    ASSERT_TRUE(Describe(vp, &d));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_CUSTOM_SCALE));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_GROUP_SKY));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_GROUP_BACKGROUND));
    EXPECT_FALSE(d.IsShown(RENDERSETTINGS_SUN));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_NUM_THREADS));
    for (LONG id : advanced) EXPECT_TRUE(Hidden(d, id));
    shownBefore = ShownIds(d);
  }
  {
    // Turning the advanced settings on shows exactly the five of them.
    bc->SetBool(RENDERSETTINGS_ADVANCED, TRUE);
    Description d;
    ASSERT_TRUE(Describe(vp, &d));
    std::set<LONG> added;
    for (LONG id : ShownIds(d))
      if (!shownBefore.count(id)) added.insert(id);
    EXPECT_EQ(added, advanced);
    EXPECT_EQ(ShownIds(d).size(), shownBefore.size() + advanced.size());
  }
  {
    bc->SetLong(RENDERSETTINGS_UNIT, RENDERSETTINGS_UNIT_CUSTOM);
    bc->SetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_SKY);
    bc->SetBool(RENDERSETTINGS_AUTO_THREADS, FALSE);
    Description d;
    ASSERT_TRUE(Describe(vp, &d));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_CUSTOM_SCALE));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_GROUP_SKY));
    EXPECT_TRUE(d.IsShown(RENDERSETTINGS_TURBIDITY));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_GROUP_BACKGROUND));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_NUM_THREADS));
  }
  {
    bc->SetLong(RENDERSETTINGS_ENVIRONMENT, RENDERSETTINGS_ENVIRONMENT_BACKGROUND);
    Description d;
    ASSERT_TRUE(Describe(vp, &d));
    EXPECT_TRUE(Hidden(d, RENDERSETTINGS_GROUP_SKY));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_GROUP_BACKGROUND));
    EXPECT_TRUE(d.IsShown(RENDERSETTINGS_BACKGROUND_MATERIAL));
  }
  {
    // An environment outside the choices changes neither group.
    bc->SetLong(RENDERSETTINGS_ENVIRONMENT, 4711);
    Description d;
    ASSERT_TRUE(Describe(vp, &d));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_GROUP_SKY));
    EXPECT_FALSE(Hidden(d, RENDERSETTINGS_GROUP_BACKGROUND));
  }
  BaseVideoPost::Free(vp);
}
