#include "update/xml/tinyxml_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

#include "platform/os/file_replace.h"
#include "update/xml/xml_nesting.h"

namespace update {

namespace {

constexpr std::size_t kParsePadding = 16;

// TinyXML steps over a whole UTF-8 sequence from its first byte, so a sequence cut off by the
// end of the text takes it up to three bytes past the terminating zero.
bool endsInsideSequence(const std::string& text) {
    const auto tail = static_cast<std::ptrdiff_t>(std::min<std::size_t>(text.size(), 3));
    return std::any_of(text.end() - tail, text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0xC0; });
}

// Such a text is parsed from a copy with zero padding, where those reads stay inside the
// buffer and stop; other texts are parsed where they are.
bool parseTiny(const std::string& text, TiXmlDocument& tiny) {
    if (!endsInsideSequence(text)) {
        tiny.Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    } else {
        std::string padded;
        padded.reserve(text.size() + kParsePadding);
        padded.append(text).append(kParsePadding, '\0');
        tiny.Parse(padded.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    }
    return !tiny.Error() && tiny.RootElement();
}

// Copies a TinyXML element's text, attributes and child elements into `target`.
void copyFromTiny(const TiXmlElement& source, XmlElement& target, XmlDocument& document) {
    if (const char* text = source.GetText()) target.setText(text);
    for (const TiXmlAttribute* a = source.FirstAttribute(); a; a = a->Next()) {
        target.setAttribute(a->Name(), a->Value());
    }
    for (const TiXmlElement* c = source.FirstChildElement(); c; c = c->NextSiblingElement()) {
        XmlElement* child = document.createElement(c->Value());
        target.appendChild(child);
        copyFromTiny(*c, *child, document);
    }
}

const char* orEmpty(const char* text) { return text ? text : ""; }

// Links a TinyXML copy of `source` and its subtree at the end of `parent`.
void copyToTiny(const XmlElement& source, TiXmlNode& parent) {
    auto* element = new TiXmlElement(orEmpty(source.getName()));
    parent.LinkEndChild(element);
    if (const char* text = source.text()) element->LinkEndChild(new TiXmlText(text));
    for (const XmlAttribute* attribute : source.attributes()) {
        element->SetAttribute(orEmpty(attribute->getName()), orEmpty(attribute->getValue()));
    }
    for (const XmlElement* child : source.children()) copyToTiny(*child, *element);
}

// Throws `kXmlNoRoot` when the model has no root.
void buildTiny(const XmlDocument& model, int declaration, TiXmlDocument& tiny) {
    if (declaration == 1) tiny.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    copyToTiny(*model.root(), tiny);
}

// Prints into the new file `fd`, synced, and closes it.
bool writeTiny(TiXmlDocument& tiny, int fd) {
    std::FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        return false;
    }
    const bool printed = tiny.SaveFile(file);
    const bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    return std::fclose(file) == 0 && printed && flushed;
}

// The whole file when it is a regular file of at most `kMaxXmlFileSize` bytes. Opened without
// waiting, so a pipe or device in its place is refused, not waited on.
std::optional<std::string> readRegularFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxXmlFileSize) {
        text.emplace();
        char buffer[65536];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) != 0;) {
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 || static_cast<long long>(text->size()) + got > kMaxXmlFileSize) {
                text.reset();
                break;
            }
            text->append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    return text;
}

// TinyXML's own reading of a file turns CR LF and lone CR into LF.
std::string normalizeLineEnds(std::string text) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            text[out++] = text[i];
        } else {
            text[out++] = '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    text.resize(out);
    return text;
}

}  // namespace

bool TinyXmlDocument::saveFile(const char* path, int declaration) {
    try {
        TiXmlDocument tiny;
        buildTiny(*this, declaration, tiny);
        if (!tiny.RootElement() || !path) return false;
        std::string temporary;
        const int fd = platform::createTemporaryBeside(path, temporary);
        return fd >= 0 && platform::renameOver(temporary, path, writeTiny(tiny, fd));
    } catch (...) {
        return false;
    }
}

std::string TinyXmlDocument::toString(int declaration) {
    TiXmlDocument tiny;
    buildTiny(*this, declaration, tiny);
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\n");
    tiny.Accept(&printer);
    return printer.Str();
}

bool TinyXmlDocument::loadString(const std::string& text) {
    if (text.find('\0') != std::string::npos) return false;
    if (!xmlWithinBounds(text)) return false;
    TiXmlDocument tiny;
    if (!parseTiny(text, tiny)) return false;
    const TiXmlElement* tinyRoot = tiny.RootElement();
    XmlElement* element = createElement(tinyRoot->Value());
    setRoot(element);
    copyFromTiny(*tinyRoot, *element, *this);
    return true;
}

bool TinyXmlDocument::loadFile(const char* path) {
    std::optional<std::string> text = path ? readRegularFile(path) : std::nullopt;
    return text && loadString(normalizeLineEnds(std::move(*text)));
}

}  // namespace update
