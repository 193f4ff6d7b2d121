#include "SvgGroups.h"

#include <tinyxml.h>

#include <stdexcept>

namespace cli {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
}

// Gives every id in the tree the prefix, and every reference to one ("url(#id)" in any
// attribute, "#id" in a link).
void PrefixIds(TiXmlElement* e, const std::string& prefix) {
  for (TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
    std::string value = a->ValueStr();
    const std::string name = a->Name();
    if (name == "id") value = prefix + value;
    else if (name == "xlink:href" && !value.empty() && value[0] == '#') value = "#" + prefix + value.substr(1);
    else ReplaceAll(value, "url(#", "url(#" + prefix);
    a->SetValue(value.c_str());
  }
  for (TiXmlElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement()) PrefixIds(c, prefix);
}

}  // namespace

std::string MergeSvgGroups(const std::vector<SvgGroup>& groups) {
  TiXmlDocument out;
  out.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
  TiXmlElement* root = nullptr;
  TiXmlElement* defs = nullptr;
  for (size_t k = 0; k < groups.size(); k++) {
    TiXmlDocument in;
    in.Parse(groups[k].svg.c_str());
    const TiXmlElement* svg = in.RootElement();
    if (in.Error() || !svg || svg->ValueStr() != "svg") throw std::runtime_error("the drawing of " + groups[k].title + " is no SVG document");
    TiXmlElement copy(*svg);
    PrefixIds(&copy, "g" + std::to_string(k) + "-");
    if (!root) {
      root = static_cast<TiXmlElement*>(out.LinkEndChild(new TiXmlElement("svg")));
      for (const TiXmlAttribute* a = svg->FirstAttribute(); a; a = a->Next()) root->SetAttribute(a->Name(), a->Value());
      defs = static_cast<TiXmlElement*>(root->LinkEndChild(new TiXmlElement("defs")));
    }
    TiXmlElement* group = static_cast<TiXmlElement*>(root->LinkEndChild(new TiXmlElement("g")));
    group->SetAttribute("id", groups[k].id.c_str());
    group->LinkEndChild(new TiXmlElement("title"))->LinkEndChild(new TiXmlText(groups[k].title.c_str()));
    for (const TiXmlElement* c = copy.FirstChildElement(); c; c = c->NextSiblingElement()) {
      if (c->ValueStr() == "defs") {
        for (const TiXmlElement* d = c->FirstChildElement(); d; d = d->NextSiblingElement()) defs->InsertEndChild(*d);
      } else {
        group->InsertEndChild(*c);
      }
    }
  }
  if (!root) throw std::runtime_error("nothing was drawn");
  TiXmlPrinter printer;
  printer.SetIndent(" ");
  out.Accept(&printer);
  return printer.Str();
}

}  // namespace cli
