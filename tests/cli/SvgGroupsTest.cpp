#include <cairo-svg.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "SvgGroups.h"

namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A Cairo SVG that draws clipped and with a gradient, so that it defines a clip path and a
// gradient in its defs and refers to them: ids that every such document of Cairo's repeats.
std::string CairoSvg(double x) {
  std::string svg;
  cairo_surface_t* s = cairo_svg_surface_create_for_stream(Append, &svg, 100, 50);
  cairo_t* cr = cairo_create(s);
  cairo_rectangle(cr, x, 10, 20, 20);
  cairo_clip(cr);
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 100, 0);
  cairo_pattern_add_color_stop_rgb(gradient, 0, 1, 0, 0);
  cairo_pattern_add_color_stop_rgb(gradient, 1, 0, 0, 1);
  cairo_set_source(cr, gradient);
  cairo_paint(cr);
  cairo_pattern_destroy(gradient);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return svg;
}

}  // namespace

TEST(SvgGroups, EachDocumentBecomesANamedGroupWithIdsOfItsOwn) {
  const std::string a = CairoSvg(10), b = CairoSvg(60);
  ASSERT_NE(a.find("url(#clip1)"), std::string::npos);
  ASSERT_NE(b.find("url(#clip1)"), std::string::npos);
  TiXmlDocument doc;
  doc.Parse(cli::MergeSvgGroups({{"object-A", "/A & co", a}, {"object-B", "/B", b}}).c_str());
  ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
  const TiXmlElement* root = doc.RootElement();
  EXPECT_STREQ(root->Attribute("viewBox"), "0 0 100 50");

  std::vector<std::string> groups;
  for (const TiXmlElement* g = root->FirstChildElement("g"); g; g = g->NextSiblingElement("g"))
    groups.push_back(std::string(g->Attribute("id")) + " " + g->FirstChildElement("title")->GetText());
  EXPECT_EQ(groups, (std::vector<std::string>{"object-A /A & co", "object-B /B"}));

  // Every id once; every reference resolves, and within the document it came from.
  std::set<std::string> ids;
  std::vector<std::string> refs;
  std::function<void(const TiXmlElement*, const std::string&)> walk = [&](const TiXmlElement* e, std::string owner) {
    if (e->Attribute("id") && std::string(e->Attribute("id")).rfind("object-", 0) == 0) owner = e->Attribute("id");
    for (const TiXmlAttribute* at = e->FirstAttribute(); at; at = at->Next()) {
      const std::string name = at->Name(), value = at->Value();
      if (name == "id") {
        EXPECT_TRUE(ids.insert(value).second) << value;
      }
      std::vector<std::string> found;
      if (name == "xlink:href") found.push_back(value.substr(1));
      for (size_t at = value.find("url(#"); at != std::string::npos; at = value.find("url(#", at + 1))
        found.push_back(value.substr(at + 5, value.find(')', at) - at - 5));
      for (const std::string& ref : found) {
        refs.push_back(ref);
        if (!owner.empty()) {
          EXPECT_EQ(ref.substr(0, 3), owner == "object-A" ? "g0-" : "g1-") << ref;
        }
      }
    }
    for (const TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) walk(c, owner);
  };
  walk(root, "");
  EXPECT_GE(refs.size(), 4u);
  for (const std::string& ref : refs) EXPECT_EQ(ids.count(ref), 1u) << ref;

  EXPECT_THROW(cli::MergeSvgGroups({{"x", "x", "<not svg"}}), std::runtime_error);
}
