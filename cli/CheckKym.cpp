#include "CheckKym.h"

#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

#include <tinyxml.h>

namespace
{

// Reads one material element and prints its line; returns whether it was accepted.
bool checkMaterial(const TiXmlElement& material, std::ostream& out)
{
    namespace P = Kyrano::KyranoSceneParseUtils;
    const std::string name = P::parseStringWithDefault(material, "name", "");
    out << "material '" << name << "': ";
    try
    {
        P::parseMaterial(material);
        out << P::getMaterialTypeElement(material).ValueStr() << "\n";
        return true;
    }
    catch(const Kyrano::KyranoSceneParseUtilsExcep& e)
    {
        out << "error: " << e.what() << "\n";
        return false;
    }
}

} // namespace

int checkKymFile(const std::string& path, std::ostream& out, std::ostream& err)
{
    TiXmlDocument doc;
    std::string error;
    if(!Kyrano::loadXmlFile(path, doc, error))
    {
        err << "check-kym: " << error << "\n";
        return 1;
    }
    const TiXmlElement* root = doc.RootElement();
    if(!root)
    {
        err << "check-kym: '" << path << "' is not a material file: it has no root element, expected 'scenedata'.\n";
        return 1;
    }
    if(root->ValueStr() != "scenedata")
    {
        err << "check-kym: '" << path << "' is not a material file: its root element is '" << root->ValueStr()
            << "' (line " << root->Row() << ", column " << root->Column() << "), expected 'scenedata'.\n";
        return 1;
    }

    int count = 0;
    int failed = 0;
    for(const TiXmlElement* m = root->FirstChildElement("material"); m; m = m->NextSiblingElement("material"))
    {
        count++;
        if(!checkMaterial(*m, out))
            failed++;
    }
    if(count == 0)
        out << "no materials in '" << path << "'\n";
    return failed > 0 ? 1 : 0;
}
