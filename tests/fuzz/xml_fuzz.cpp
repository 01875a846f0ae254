// Fuzzes XmlDocument::loadString; whatever loads must print as text that loads again into a
// document of the same elements.
#include <cstdint>
#include <string>

#include "update/xml/tinyxml_document.h"

namespace {

void check(bool holds) {
    if (!holds) __builtin_trap();
}

// Visits every element, as the manifest code does, and counts them.
std::size_t walk(const update::XmlElement& element) {
    std::size_t count = 1;
    for (const update::XmlAttribute* attribute : element.attributes()) {
        check(attribute->getName() != nullptr && attribute->getValue() != nullptr);
    }
    for (const update::XmlElement* child : element.children()) {
        check(child->parent() == &element);
        count += walk(*child);
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    update::TinyXmlDocument document;
    if (!document.loadString(text)) return 0;
    const std::size_t elements = walk(*document.root());
    const std::string printed = document.toString(0);
    update::TinyXmlDocument again;
    check(again.loadString(printed));
    check(walk(*again.root()) == elements);
    // TinyXML trims the white space around texts when it reads them, so the first print may
    // differ; from then on the text stays the same.
    const std::string reprinted = again.toString(0);
    update::TinyXmlDocument third;
    check(third.loadString(reprinted));
    check(third.toString(0) == reprinted);
    return 0;
}
