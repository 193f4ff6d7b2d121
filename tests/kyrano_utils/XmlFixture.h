#pragma once

#include "kyrano_utils/KyranoSceneParseUtils.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

// A document parsed by TinyXML from text, as the material reader gets it.
struct XmlFixture
{
    explicit XmlFixture(const std::string& text)
    {
        doc.Parse(text.c_str());
        EXPECT_FALSE(doc.Error()) << doc.ErrorDesc() << " in " << text;
    }

    const TiXmlElement& root() const { return *doc.RootElement(); }

    // The first descendant element of that name, depth first.
    const TiXmlElement& find(const std::string& name) const
    {
        const TiXmlElement* e = findIn(doc.RootElement(), name);
        EXPECT_TRUE(e) << "no element " << name;
        return *e;
    }

    TiXmlDocument doc;

private:
    static const TiXmlElement* findIn(const TiXmlElement* elem, const std::string& name)
    {
        if(!elem)
            return nullptr;
        if(elem->ValueStr() == name)
            return elem;
        for(const TiXmlElement* c = elem->FirstChildElement(); c; c = c->NextSiblingElement())
            if(const TiXmlElement* found = findIn(c, name))
                return found;
        return nullptr;
    }
};

// The message a call throws, or "no exception".
template <class F>
std::string parseMessage(F f)
{
    try
    {
        f();
    }
    catch(const Kyrano::KyranoSceneParseUtilsExcep& e)
    {
        return e.what();
    }
    return "no exception";
}
