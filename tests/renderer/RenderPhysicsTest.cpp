// The drawing checked against physics and geometry: furnaces, the inverse square and cosine
// laws, the thin lens, texture placement and emission scales.
#include <gtest/gtest.h>

#include <cmath>

#include "RenderFixture.h"
#include "render/Png.h"

using namespace testing_support;
using namespace renderer::render;

namespace {

double MeanOver(const Film& film, int spp, int x0, int y0, int x1, int y1, int channel = -1) {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Rgb c = film.Mean(x, y, spp);
      sum += channel < 0 ? (c.x + c.y + c.z) / 3 : c[channel];
    }
  return sum / double((x1 - x0) * (y1 - y0));
}

}  // namespace

TEST(RenderPhysics, FurnaceWhiteDiffuseAndClearGlassVanishIntoTheBackground) {
  TempDir dir("render_furnace");
  for (const std::string kind : {"diffuse", "glass", "glossy"}) {
    TestScene s;
    if (kind == "diffuse")
      s.body = Diffuse("White", "1 1 1") + SphereXml("0 0 0", 1, "White");
    else
      s.body = "<medium><name>MedGlass</name><precedence>1</precedence><basic><ior>1.5</ior><cauchy_b_coeff>0</cauchy_b_coeff>"
               "<absorption_coefficient_spectrum><uniform><value>0</value></uniform></absorption_coefficient_spectrum>"
               "</basic></medium>\n<material><name>Glass</name>" +
               std::string(kind == "glass" ? "<specular><internal_medium_name>MedGlass</internal_medium_name>"
                                             "<transparent>true</transparent></specular>"
                                           : "<glossy_transparent><internal_medium_name>MedGlass</internal_medium_name>"
                                             "<exponent><constant>200</constant></exponent></glossy_transparent>") +
               "</material>\n" + SphereXml("0 0 0", 1, "Glass");
    const auto scene = Build(s.Write(dir, kind + ".kys"));
    ASSERT_TRUE(scene);
    const int spp = 64;
    const Film film = Draw(*scene, spp);
    // The sphere covers the middle of the picture; everywhere the picture is as bright as the
    // background, within the noise of Russian roulette inside the glass.
    EXPECT_NEAR(MeanOver(film, spp, 0, 0, 16, 16), 1.0, 0.02) << kind;
    EXPECT_NEAR(MeanOver(film, spp, 6, 6, 10, 10), 1.0, 0.05) << kind;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) EXPECT_NEAR(film.Mean(x, y, spp).y, 1.0, kind == "diffuse" ? 0.01 : 0.35) << kind;
  }
}

TEST(RenderPhysics, SmallEmitterLightsAPlaneByTheInverseSquareAndCosineLaws) {
  TempDir dir("render_inverse_square");
  TestScene s;
  s.environment = "<background><spectrum><uniform><value>0</value></uniform></spectrum></background>";
  const float h = 1.0f, r = 0.01f, emitted = 1000.0f, albedo = 0.5f;
  s.body = Diffuse("Plane", "0.5 0.5 0.5") + Diffuse("Lamp", "0 0 0", "1000") +
           WriteQuad(dir, "plane.kymesh", {{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}},
                     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, "Plane") +
           ModelXml("plane.kymesh") + SphereXml("0 0 1", r, "Lamp");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  const Integrator integrator(*scene, 3);
  for (const float x : {0.0f, 1.0f, 2.0f}) {
    // A diffuse plane sends L = albedo / pi * E, and the sphere's intensity is L_e pi r^2.
    const float d2 = x * x + h * h;
    const double expected = albedo / kPi * emitted * kPi * r * r * (h / std::sqrt(d2)) / d2;
    const Vec3 target(x, 0, 0), from(x, -0.3f, 0.3f);
    double sum = 0;
    const int n = 4000;
    std::uint64_t rays = 0;
    for (int i = 0; i < n; ++i) {
      Rng rng(std::uint64_t(i), 11);
      sum += integrator.Li(from, Normalize(target - from), 0, rng, rays).y;
    }
    EXPECT_NEAR(sum / n, expected, 0.03 * expected) << "at x = " << x;
  }
}

TEST(RenderPhysics, OutOfFocusPointBlursToTheThinLensCircleOfConfusion) {
  TempDir dir("render_dof");
  TestScene s;
  s.width = s.height = 32;
  const double aperture = 0.5, focus = 8.0 / 3.0, distance = 1.0, rho = 0.05;
  s.camera = "<pos>0 0 0</pos><up>0 0 1</up><forwards>0 1 0</forwards><sensor_width>0.036</sensor_width>"
             "<lens_sensor_dist>0.036</lens_sensor_dist><aperture_radius>" + std::to_string(aperture) +
             "</aperture_radius><focus_distance>" + std::to_string(focus) + "</focus_distance>";
  s.environment = "<background><spectrum><uniform><value>0</value></uniform></spectrum></background>";
  s.body = Diffuse("Lamp", "0 0 0", "1") + SphereXml("0 " + std::to_string(distance) + " 0", rho, "Lamp");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  // A pixel inside the disc sees the sphere through about 2.5% of the aperture: with 256
  // samples hardly any such pixel stays dark.
  const int spp = 256;
  const Film film = Draw(*scene, spp);
  int lit = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) lit += film.Mean(x, y, spp).y > 0 ? 1 : 0;
  // Thin lens: a point at distance D with the focus at F blurs to a disc of radius
  // A (1/D - 1/F) times the lens-sensor distance; the sphere's own image adds rho / D.
  const double pixelsPerUnit = 32 / 0.036 * 0.036;  // sensor units to pixels, per unit of lens-sensor distance
  const double circle = aperture * (1 / distance - 1 / focus) * pixelsPerUnit;
  const double expected = circle + rho / distance * pixelsPerUnit;
  EXPECT_NEAR(std::sqrt(lit / kPi), expected, 0.1 * circle) << lit << " pixels lit";
}

TEST(RenderPhysics, CheckerTextureLandsWhereItsUvsSay) {
  TempDir dir("render_texture");
  PngImage checker;
  checker.width = checker.height = 2;
  checker.channels = 3;
  checker.pixels = {255, 0, 0, 0, 255, 0,  // top row: red, green
                    0, 0, 255, 255, 255, 255};  // bottom row: blue, white
  ASSERT_EQ(WritePng(dir.str("checker.png"), checker), "");
  TestScene s;
  s.width = s.height = 32;
  s.camera = "<pos>0 -2 0</pos><up>0 0 1</up><forwards>0 1 0</forwards><sensor_width>0.036</sensor_width>"
             "<lens_sensor_dist>0.036</lens_sensor_dist><aperture_radius>0</aperture_radius>";
  // A quad facing the camera, v = 1 along its top edge; in a furnace of 1 its radiance is its albedo.
  s.body = "<material><name>Checker</name><diffuse><texture><path>checker.png</path><uv_set>default</uv_set></texture>"
           "<albedo><texture><texture_index>0</texture_index></texture></albedo></diffuse></material>\n" +
           WriteQuad(dir, "quad.kymesh", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}},
                     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, "Checker") +
           ModelXml("quad.kymesh");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  const int spp = 16;
  const Film film = Draw(*scene, spp);
  // The quad spans pixels 8 to 24; its quarters' centres are at 12 and 20.
  const Rgb topLeft = film.Mean(12, 12, spp), topRight = film.Mean(20, 12, spp);
  const Rgb bottomLeft = film.Mean(12, 20, spp), bottomRight = film.Mean(20, 20, spp);
  EXPECT_GT(topLeft.x, 0.85f);
  EXPECT_LT(topLeft.y + topLeft.z, 0.3f);
  EXPECT_GT(topRight.y, 0.85f);
  EXPECT_LT(topRight.x + topRight.z, 0.3f);
  EXPECT_GT(bottomLeft.z, 0.85f);
  EXPECT_LT(bottomLeft.x + bottomLeft.y, 0.3f);
  EXPECT_GT(std::min(bottomRight.x, std::min(bottomRight.y, bottomRight.z)), 0.85f);
  EXPECT_NEAR(film.Mean(2, 2, spp).y, 1.0f, 1e-4f);  // the background beside it
}

TEST(RenderPhysics, EmissionScaleSetsTheLuminanceAndDoublingTheFluxDoublesThePicture) {
  TempDir dir("render_emission_scale");
  double seen[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const int flux = 1000 * (i + 1);
    TestScene s;
    s.environment = "<background><spectrum><uniform><value>0</value></uniform></spectrum></background>";
    // A 1 m^2 emitter facing the camera (its winding's normal is -y).
    s.body = "<material><name>Emit</name><diffuse><albedo><constant><uniform><value>0</value></uniform></constant>"
             "</albedo><base_emission><constant><rgb><rgb>1 0.5 0.25</rgb><gamma>1</gamma></rgb></constant>"
             "</base_emission></diffuse></material>\n" +
             WriteQuad(dir, "emitter.kymesh", {{-0.5f, 0, -0.5f}, {0.5f, 0, -0.5f}, {0.5f, 0, 0.5f}, {-0.5f, 0, 0.5f}},
                       {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, "Emit") +
             ModelXml("emitter.kymesh", "<emission_scale><material_name>Emit</material_name><measure>luminous_flux"
                                        "</measure><value>" + std::to_string(flux) + "</value></emission_scale>");
    const auto scene = Build(s.Write(dir));
    ASSERT_TRUE(scene);
    const Film film = Draw(*scene, 4);
    seen[i] = Luminance(film.Mean(8, 8, 4));
    // A Lambertian emitter of flux F and area A has luminance F / (pi A), in units of 683 cd/m^2.
    EXPECT_NEAR(seen[i], flux / kPi / 683.0, 1e-3 * flux / kPi / 683.0);
  }
  EXPECT_NEAR(seen[1] / seen[0], 2.0, 1e-4);
}

TEST(RenderPhysics, EachElementUsesTheLatestDefinitionOfItsMaterialBeforeIt) {
  TempDir dir("render_latest_definition");
  TestScene s;
  s.environment = "<background><spectrum><uniform><value>0</value></uniform></spectrum></background>";
  auto light = [](const std::string& rgb) {
    return "<material><name>defaultLight</name><diffuse><albedo><constant><uniform><value>0</value></uniform>"
           "</constant></albedo><base_emission><constant><rgb><rgb>" + rgb +
           "</rgb><gamma>1</gamma></rgb></constant></base_emission></diffuse></material>\n";
  };
  s.body = light("1 0 0") + SphereXml("-1 0 0", 0.5, "defaultLight") + light("0 0 1") +
           SphereXml("1 0 0", 0.5, "defaultLight");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  const Film film = Draw(*scene, 4);
  // Camera at y = -4: x = -1 lands a quarter of the picture left of the centre.
  const Rgb left = film.Mean(4, 8, 4), right = film.Mean(12, 8, 4);
  EXPECT_NEAR(left.x, 1.0f, 1e-3f);
  EXPECT_NEAR(left.z, 0.0f, 1e-3f);
  EXPECT_NEAR(right.z, 1.0f, 1e-3f);
  EXPECT_NEAR(right.x, 0.0f, 1e-3f);
}

TEST(RenderPhysics, MaskOfASphereCoversThePixelsItsProjectionGives) {
  TempDir dir("render_mask");
  TestScene s;
  s.width = s.height = 64;
  s.camera = "<pos>0 -5 0</pos><up>0 0 1</up><forwards>0 1 0</forwards><sensor_width>0.036</sensor_width>"
             "<lens_sensor_dist>0.036</lens_sensor_dist><aperture_radius>0.1</aperture_radius>";
  // Off to the right and up: x = 1 and z = 1 at distance 5 land 0.2 / 0.5 of the half-width
  // right of and above the centre.
  s.body = Diffuse("White", "1 1 1") + SphereXml("1 0 1", 1, "White");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  const PngImage mask = RenderMask(*scene);
  ASSERT_EQ(mask.width, 64);
  int count = 0;
  double cx = 0, cy = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      if (mask.pixels[std::size_t(y * 64 + x)] == 255) {
        ++count;
        cx += x + 0.5;
        cy += y + 0.5;
      } else {
        EXPECT_EQ(mask.pixels[std::size_t(y * 64 + x)], 0);
      }
  // The projection's area in pixels, integrated on a fine grid of the image plane (focal length
  // 64 pixels): the direction through a point hits the sphere when its distance from the
  // centre's direction is within the radius.
  double area = 0;
  const int n = 512;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const Vec3 d = Normalize(Vec3(((i + 0.5f) / n * 64 - 32) / 64, 1, -((j + 0.5f) / n * 64 - 32) / 64));
      const Vec3 c(1, 5, 1);
      const float along = Dot(d, c);
      if (Dot(c, c) - along * along <= 1) area += 64.0 * 64.0 / (double(n) * n);
    }
  EXPECT_NEAR(count, area, 0.02 * area);
  EXPECT_NEAR(cx / count, 32 + 0.2 / 0.5 * 32, 1.0);  // right of the centre
  EXPECT_NEAR(cy / count, 32 - 0.2 / 0.5 * 32, 1.0);  // above it: rows count downwards
}

TEST(RenderPhysics, AutofocusFocusesOnWhatTheCentreSees) {
  TempDir dir("render_autofocus");
  TestScene s;
  s.camera += "<autofocus/>";
  s.body = Diffuse("White", "1 1 1") + SphereXml("0 0 0", 0.5, "White");
  const auto scene = Build(s.Write(dir));
  ASSERT_TRUE(scene);
  EXPECT_FLOAT_EQ(scene->camera->Settings().focusDistance, 4.0f);  // as written
  ApplyAutofocus(*scene);
  EXPECT_NEAR(scene->camera->Settings().focusDistance, 3.5f, 1e-4f);  // the sphere's near side
}
