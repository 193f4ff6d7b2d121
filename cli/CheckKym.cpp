#include "CheckKym.h"

#include "kyrano_utils/KyranoSceneParseUtils.h"
#include "kyrano_utils/KyranoXmlFile.h"

#include <filesystem>
#include <set>

#include <tinyxml.h>

namespace
{

namespace fs = std::filesystem;

// Reads one material element and prints its line; returns whether it was accepted. `from`
// names the file for materials of an included file, and is empty for the file checked.
bool checkMaterial(const TiXmlElement& material, const std::string& from, std::ostream& out)
{
    namespace P = Kyrano::KyranoSceneParseUtils;
    const std::string name = P::parseStringWithDefault(material, "name", "");
    out << "material '" << name << "'";
    if(!from.empty())
        out << " in '" << from << "'";
    out << ": ";
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

// The root element when the document is a material file; otherwise null, with the reason.
const TiXmlElement* materialRoot(const TiXmlDocument& doc, const std::string& path, std::string& error)
{
    const TiXmlElement* root = doc.RootElement();
    if(!root)
        error = "'" + path + "' is not a material file: it has no root element, expected 'scenedata'.";
    else if(root->ValueStr() != "scenedata")
        error = "'" + path + "' is not a material file: its root element is '" + root->ValueStr() + "' (line " +
                std::to_string(root->Row()) + ", column " + std::to_string(root->Column()) + "), expected 'scenedata'.";
    return error.empty() ? root : nullptr;
}

// The materials of one file and of the files it includes, as the renderer reads them: an
// include's path is taken as it stands when absolute, else from the including file's folder;
// each file is read once, however often it is included.
class Checker
{
public:
    Checker(std::ostream& out) : out_(out) {}

    // TRUE the first time the file is seen.
    bool firstVisit(const std::string& file)
    {
        std::error_code ec;
        const fs::path canonical = fs::weakly_canonical(file, ec);
        return visited_.insert(ec ? file : canonical.string()).second;
    }

    void checkFile(const TiXmlElement& root, const std::string& path, const std::string& from)
    {
        for(const TiXmlElement* m = root.FirstChildElement("material"); m; m = m->NextSiblingElement("material"))
        {
            materials++;
            if(!checkMaterial(*m, from, out_))
                failed++;
        }
        for(const TiXmlElement* include = root.FirstChildElement("include"); include;
            include = include->NextSiblingElement("include"))
            checkInclude(*include, path);
    }

    int materials = 0;
    int failed = 0;

private:
    void checkInclude(const TiXmlElement& include, const std::string& path)
    {
        const TiXmlElement* pathname = include.FirstChildElement("pathname");
        const std::string text = pathname && pathname->GetText() ? pathname->GetText() : "";
        out_ << "include (line " << include.Row() << " of '" << path << "'): ";
        if(text.empty())
        {
            out_ << "error: it names no file in 'pathname'\n";
            failed++;
            return;
        }
        const fs::path named(text);
        const std::string file = (named.is_absolute() ? named : fs::path(path).parent_path() / named).string();
        if(!firstVisit(file))
        {
            out_ << "'" << file << "', read already\n";
            return;
        }
        TiXmlDocument doc;
        std::string error;
        const TiXmlElement* root = Kyrano::loadXmlFile(file, doc, error) ? materialRoot(doc, file, error) : nullptr;
        if(!root)
        {
            out_ << "error: " << error << "\n";
            failed++;
            return;
        }
        out_ << "'" << file << "'\n";
        checkFile(*root, file, file);
    }

    std::ostream& out_;
    std::set<std::string> visited_;
};

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
    const TiXmlElement* root = materialRoot(doc, path, error);
    if(!root)
    {
        err << "check-kym: " << error << "\n";
        return 1;
    }
    Checker checker(out);
    checker.firstVisit(path);
    checker.checkFile(*root, path, "");
    if(checker.materials == 0 && checker.failed == 0)
        out << "no materials in '" << path << "'\n";
    return checker.failed > 0 ? 1 : 0;
}
