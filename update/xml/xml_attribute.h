// An attribute of an XML element: a name and a value. Created and owned by an `XmlDocument`.
#pragma once

#include "update/xml/xml_text.h"

namespace update {

class XmlAttribute {
  public:
    // Copies both texts; nullptr leaves a text none.
    XmlAttribute(const char* name, const char* value);
    virtual ~XmlAttribute();
    XmlAttribute(const XmlAttribute&) = delete;
    XmlAttribute& operator=(const XmlAttribute&) = delete;

    virtual const char* getName() const;
    // Replaces the name; nullptr changes nothing.
    virtual XmlAttribute* setName(const char* name);
    virtual const char* getValue() const;
    // Replaces the value; nullptr changes nothing.
    virtual XmlAttribute* setValue(const char* value);

  private:
    XmlText name_;
    XmlText value_;
};

}  // namespace update
