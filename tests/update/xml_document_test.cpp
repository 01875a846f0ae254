#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fifo.h"
#include "tests/support/headless_fixture.h"
#include "update/xml/tinyxml_document.h"
#include "update/xml/xml_nesting.h"

namespace update_test {
namespace {

using update::TinyXmlDocument;
using update::XmlElement;

// The message thrown by `action`, or "" when it throws none.
template <class Action>
std::string thrownBy(Action action) {
    try {
        action();
    } catch (const char* message) {
        return message;
    }
    return "";
}

std::vector<std::string> namesOf(const std::vector<XmlElement*>& elements) {
    std::vector<std::string> names;
    for (const XmlElement* element : elements) names.emplace_back(element->getName());
    return names;
}

TEST(XmlDocumentRoot, SetRootChecksOwnershipAndLinks) {
    TinyXmlDocument document;
    TinyXmlDocument other;
    EXPECT_EQ(thrownBy([&] { document.root(); }), "The root element does not exist");
    XmlElement* a = document.createElement("a");
    EXPECT_EQ(thrownBy([&] { a->isRoot(); }), "The root element does not exist");
    EXPECT_EQ(thrownBy([&] { document.toString(0); }), "The root element does not exist");
    EXPECT_EQ(thrownBy([&] { document.setRoot(other.createElement("x")); }),
              "Elements created in this document is not received");

    EXPECT_EQ(document.setRoot(a), a);
    EXPECT_TRUE(a->isRoot());
    EXPECT_EQ(thrownBy([&] { document.setRoot(a); }),
              "This element is the parent node already exists");
    XmlElement* b = document.createElement("b");
    a->appendChild(b);
    EXPECT_EQ(thrownBy([&] { document.setRoot(b); }),
              "This element is the parent node already exists");
    b->detach();
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(document.setRoot(b), b);
    EXPECT_FALSE(a->isRoot());
}

class XmlChildren : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = document_.createElement("r");
        for (const char* name : {"a", "x", "x", "b", "x"}) {
            root_->appendChild(document_.createElement(name));
        }
    }
    std::vector<std::string> names() const { return namesOf(root_->children()); }
    TinyXmlDocument document_;
    XmlElement* root_ = nullptr;
};

TEST_F(XmlChildren, RemoveChildrenTakesEveryMatchAndKeepsTheOrder) {
    std::vector<XmlElement*> xs;
    root_->childrenByName("x", xs);
    EXPECT_TRUE(root_->removeChildren("x"));
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));
    for (const XmlElement* x : xs) EXPECT_EQ(x->parent(), nullptr);
    EXPECT_EQ(root_->children()[1]->parent(), root_);
    EXPECT_FALSE(root_->removeChildren("x"));

    XmlElement* only = document_.createElement("only");
    XmlElement* holder = document_.createElement("holder")->appendChild(only);
    EXPECT_TRUE(holder->removeChildren("only"));
    EXPECT_TRUE(holder->children().empty());
}

TEST_F(XmlChildren, RemoveChildUnlinksExactlyThatChild) {
    XmlElement* middle = root_->children()[2];
    XmlElement* next = root_->children()[3];
    EXPECT_TRUE(root_->removeChild(middle));
    EXPECT_EQ(middle->parent(), nullptr);
    EXPECT_EQ(next->parent(), root_);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "x", "b", "x"}));
    EXPECT_FALSE(root_->removeChild(middle));

    EXPECT_TRUE(root_->removeFirstChild("x"));
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "x"}));
    EXPECT_FALSE(root_->removeFirstChild("X")) << "names match case-sensitively";
    EXPECT_TRUE(root_->removeAllChildren());
    EXPECT_FALSE(root_->removeAllChildren());
}

TEST_F(XmlChildren, InsertAndFindByName) {
    XmlElement* first = document_.createElement("first");
    XmlElement* last = document_.createElement("last");
    root_->insertChild(0, first)->insertChild(root_->children().size(), last);
    root_->insertChild(99, document_.createElement("past"));
    EXPECT_EQ(names(),
              (std::vector<std::string>{"first", "a", "x", "x", "b", "x", "last", "past"}));
    EXPECT_EQ(first->parent(), root_);
    EXPECT_EQ(root_->firstChild("x"), root_->children()[2]);
    EXPECT_EQ(root_->firstChild("none"), nullptr);
    std::vector<XmlElement*> list{first};
    EXPECT_EQ(root_->childrenByName("x", list).size(), 4u) << "appends to the caller's list";
}

TEST(XmlAttributes, RepeatedNamesAreKeptAndTheFirstIsFound) {
    TinyXmlDocument document;
    XmlElement* e = document.createElement("e");
    e->setAttribute("k", "1")->setAttribute("k", "2");
    ASSERT_EQ(e->attributes().size(), 2u);
    EXPECT_STREQ(e->attributeValue("k"), "1");
    EXPECT_EQ(e->attribute("k"), e->attributes()[0]);
    EXPECT_EQ(e->attributeValue("K"), nullptr);
    e->attribute("k")->setValue("a longer value")->setValue(nullptr);
    EXPECT_STREQ(e->attributeValue("k"), "a longer value") << "none changes nothing";
    EXPECT_EQ(e->text(), nullptr);
    e->setText("long text")->setText("s")->setText(nullptr);
    EXPECT_STREQ(e->text(), "s");
}

TEST(XmlLoad, CopiesElementsTextsAndAttributesOnly) {
    TinyXmlDocument document;
    ASSERT_TRUE(document.loadString("<a x=\"1\"><!-- c --><b>t</b>u</a>"));
    XmlElement* a = document.root();
    EXPECT_STREQ(a->getName(), "a");
    ASSERT_EQ(a->attributes().size(), 1u);
    EXPECT_STREQ(a->attributeValue("x"), "1");
    EXPECT_EQ(a->text(), nullptr) << "its first child is the comment";
    ASSERT_EQ(a->children().size(), 1u);
    EXPECT_STREQ(a->children()[0]->text(), "t");
    EXPECT_EQ(a->children()[0]->parent(), a);
}

TEST(XmlLoad, RefusedTextsLeaveTheDocumentAsItWas) {
    TinyXmlDocument document;
    ASSERT_TRUE(document.loadString("<first/>"));
    std::string deep;
    for (int i = 0; i <= update::kMaxXmlDepth; ++i) deep = "<d>" + deep + "</d>";
    for (const std::string& text :
         {std::string("<a><b></a>"), std::string("not xml"), std::string(""),
          std::string("<!-- only a comment -->"), std::string("<a>x\0y</a>", 10), deep}) {
        EXPECT_FALSE(document.loadString(text)) << text.substr(0, 40);
        EXPECT_STREQ(document.root()->getName(), "first");
    }
}

TEST(XmlLoad, ASecondLoadMovesTheRoot) {
    TinyXmlDocument document;
    ASSERT_TRUE(document.loadString("<one><c/></one>"));
    XmlElement* one = document.root();
    ASSERT_TRUE(document.loadString("<two/>"));
    EXPECT_STREQ(document.root()->getName(), "two");
    EXPECT_STREQ(one->children()[0]->getName(), "c") << "the first tree stays owned";
}

TEST(XmlNesting, BoundCountsElementsButNotMarkupOrQuotes) {
    const std::pair<const char*, int> cases[] = {
        {"<a><b><c/></b><b/></a>", 3},
        {"<a><!-- <x><x><x> --><b/></a>", 2},
        {"<a><![CDATA[<x><x><x>]]></a>", 1},
        {"<?xml version=\"1.0\"?><!DOCTYPE a><a/>", 1},
        {"<a x='<b><b>' y=\"/>\"><c/></a>", 2},
        {"</a></a><a><b></b></a>", 2},
        {"<a>1 < 2 <3</a>", 1},
        {"<\xe5\x90\x8d><_x/></\xe5\x90\x8d>", 2},
    };
    for (const auto& [text, depth] : cases) EXPECT_EQ(update::xmlDepthBound(text), depth) << text;
}

TEST(XmlNesting, ShapeCountsMarkupAndTheAttributesOfTheFullestTag) {
    const update::XmlShape shape =
        update::xmlShapeBound("<?xml version='1.0'?><a x='=' y = \"2\"><!-- c --><b z='1'/>t</a>");
    EXPECT_EQ(shape.depth, 2);
    EXPECT_EQ(shape.nodes, 7u) << "declaration, a, x, y, comment, b, z";
    EXPECT_EQ(shape.mostAttributes, 2u) << "an = inside quotes is no attribute";
}

TEST(XmlLoad, TextsOfTooManyNodesOrAttributesAreRefusedBeforeParsing) {
    const auto repeated = [](const std::string& piece, std::size_t count) {
        std::string text;
        text.reserve(piece.size() * count);
        for (std::size_t i = 0; i < count; ++i) text += piece;
        return text;
    };
    TinyXmlDocument document;
    // Each such text once grew to gigabytes or parsed for hours.
    EXPECT_TRUE(document.loadString("<r>" + repeated("<e/>", update::kMaxXmlNodes - 1) + "</r>"));
    EXPECT_FALSE(document.loadString("<r>" + repeated("<e/>", update::kMaxXmlNodes) + "</r>"));
    EXPECT_FALSE(document.loadString("<r>" + repeated("<!---->", update::kMaxXmlNodes) + "</r>"));
    std::string attributes;
    for (std::size_t i = 0; i < update::kMaxXmlAttributes; ++i)
        attributes += " a" + std::to_string(i) + "=''";
    EXPECT_TRUE(document.loadString("<r" + attributes + "/>"));
    EXPECT_FALSE(document.loadString("<r" + attributes + " z=''/>"));
    EXPECT_FALSE(document.loadString(
        "<r>" + repeated("<e a='' b=''/>", update::kMaxXmlNodes / 3 + 1) + "</r>"))
        << "attributes count with the elements";
}

TEST(XmlSave, WritesTheDeclarationOnlyWhenAsked) {
    test_support::TempDir dir;
    TinyXmlDocument document;
    EXPECT_FALSE(document.saveFile(dir.file("none.xml").c_str(), 1));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.xml")));

    XmlElement* ver = document.createElement("ver");
    ver->setAttribute("k", "v&\"")->appendChild(document.createElement("no")->setText("1 < 2"));
    document.setRoot(ver);
    ASSERT_TRUE(document.saveFile(dir.file("with.xml").c_str(), 1));
    ASSERT_TRUE(document.saveFile(dir.file("without.xml").c_str(), 0));
    const std::string with = test_support::readFile(dir.file("with.xml"));
    const std::string without = test_support::readFile(dir.file("without.xml"));
    EXPECT_EQ(with.rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?>", 0), 0u) << with;
    EXPECT_EQ(without.rfind("<ver", 0), 0u) << without;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no temporary file is left";

    TinyXmlDocument reread;
    ASSERT_TRUE(reread.loadFile(dir.file("with.xml").c_str()));
    EXPECT_STREQ(reread.root()->attributeValue("k"), "v&\"");
    EXPECT_STREQ(reread.root()->firstChild("no")->text(), "1 < 2");
}

// A folder in the file's place makes the rename fail, even for root.
TEST(XmlSave, AFailedSaveLeavesTheTargetAndNoTemporaryFile) {
    test_support::TempDir dir;
    const std::string path = dir.file("version.xml");
    std::filesystem::create_directories(path + "/in use");
    TinyXmlDocument document;
    document.setRoot(document.createElement("new"));
    EXPECT_FALSE(document.saveFile(path.c_str(), 1));
    EXPECT_TRUE(std::filesystem::exists(path + "/in use"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_FALSE(document.saveFile(dir.file("missing/dir/v.xml").c_str(), 1));
}

// Links planted where a save might write: under the old temporary name, and the file itself.
TEST(XmlSave, ASaveNeverWritesThroughALink) {
    test_support::TempDir dir;
    const std::string path = dir.file("version.xml");
    test_support::writeFile(dir.file("other.txt"), "other");
    std::filesystem::create_symlink(dir.file("other.txt"), path + ".tmp");
    TinyXmlDocument document;
    document.setRoot(document.createElement("new"));
    ASSERT_TRUE(document.saveFile(path.c_str(), 0));
    EXPECT_EQ(test_support::readFile(path), "<new />\n");
    EXPECT_EQ(test_support::readFile(dir.file("other.txt")), "other");

    std::filesystem::remove(path);
    std::filesystem::create_symlink(dir.file("other.txt"), path);
    ASSERT_TRUE(document.saveFile(path.c_str(), 0));
    EXPECT_FALSE(std::filesystem::is_symlink(path)) << "the link is replaced, not followed";
    EXPECT_EQ(test_support::readFile(path), "<new />\n");
    EXPECT_EQ(test_support::readFile(dir.file("other.txt")), "other");
}

TEST(XmlToString, IndentsByFourBlanks) {
    TinyXmlDocument document;
    XmlElement* a = document.createElement("a");
    a->appendChild(document.createElement("b")->appendChild(document.createElement("c")));
    document.setRoot(a);
    EXPECT_EQ(document.toString(0), "<a>\n    <b>\n        <c />\n    </b>\n</a>\n");
    EXPECT_EQ(document.toString(1).rfind("<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<a>", 0),
              0u);
}

TEST(XmlLoadFile, ReadsRegularFilesOnly) {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("crlf.xml"), "<a>\r\n<b>x</b>\r\n</a>\r\n");
    TinyXmlDocument document;
    EXPECT_FALSE(document.loadFile(dir.file("absent.xml").c_str()));
    EXPECT_FALSE(document.loadFile(dir.path().c_str()));
    ASSERT_TRUE(document.loadFile(dir.file("crlf.xml").c_str()));
    EXPECT_STREQ(document.root()->firstChild("b")->text(), "x");

    const std::string pipe = dir.file("version.xml");
    ASSERT_TRUE(test_support::makeFifo(pipe));
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        bool loaded = true;
        test_support::runWithoutWaiting([&] { loaded = document.loadFile(path.c_str()); });
        EXPECT_FALSE(loaded) << path;
    }
}

}  // namespace
}  // namespace update_test
