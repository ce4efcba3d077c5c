#include "personal/web_page.h"

#include "core/cp1250.h"
#include "personal/html_entities.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace savorel {

namespace {

constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                              HTML_PARSE_NONET | HTML_PARSE_COMPACT;

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

// libxml2 reports encoding errors through its generic handler whatever the parse options
// say; a page's broken bytes are no message for the user's terminal.
void Silent(void*, const char*, ...) {}

DocPtr ParseHtml(std::string_view bytes, const char* encoding) {
    InitOnce();
    // The handlers are the calling thread's own.
    xmlSetGenericErrorFunc(nullptr, Silent);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    return DocPtr(htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding,
                                 kParseOptions));
}

std::string_view NameOf(const xmlNode* node) {
    return node->name ? std::string_view(reinterpret_cast<const char*>(node->name))
                      : std::string_view();
}

// An attribute's value, or no value when the element lacks it.
std::optional<std::string> Attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsBlockElement(std::string_view name) {
    static const std::set<std::string_view> kBlocks = {
        "address", "article",    "aside",  "blockquote", "br",    "dd", "div",  "dl",
        "dt",      "figcaption", "figure", "footer",     "form",  "h1", "h2",   "h3",
        "h4",      "h5",         "h6",     "header",     "hr",    "li", "main", "nav",
        "ol",      "p",          "pre",    "section",    "table", "tr", "ul"};
    return kBlocks.count(name) > 0;
}

// Elements whose content is no text of the page.
bool IsHiddenElement(std::string_view name) {
    return name == "script" || name == "style" || name == "template" || name == "head" ||
           name == "noscript" || name == "svg";
}

// Whether an element name is markup at all: HTML 4's elements (libxml2's table), the ones
// HTML5 added and custom elements (with "-"). Anything else in a text ("<sau>") was text.
bool IsMarkupElement(std::string_view name) {
    static const std::set<std::string_view> kHtml5 = {
        "article", "aside",  "audio",      "bdi",    "canvas",  "data",     "datalist",
        "details", "dialog", "figcaption", "figure", "footer",  "header",   "main",
        "mark",    "meter",  "nav",        "output", "picture", "progress", "rp",
        "rt",      "ruby",   "section",    "source", "summary", "svg",      "template",
        "time",    "track",  "video",      "wbr",    "math",    "search"};
    if (name.find('-') != std::string_view::npos || kHtml5.count(name))
        return true;
    const std::string lower = LowerAscii(name);
    return htmlTagLookup(reinterpret_cast<const xmlChar*>(lower.c_str())) != nullptr;
}

// The text an element shows, without recursion: block elements end lines, hidden ones are
// left out; with `keepUnknown`, elements HTML does not have are written back as text.
std::string TextContent(const xmlNode* root, bool keepUnknown) {
    std::string out;
    struct Step {
        const xmlNode* node;
        bool closing;
    };
    std::vector<Step> stack;
    const auto pushChildren = [&](const xmlNode* parent) {
        std::vector<const xmlNode*> children;
        for (const xmlNode* child = parent->children; child; child = child->next)
            children.push_back(child);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, false});
    };
    pushChildren(root);
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const xmlNode* node = step.node;
        if (step.closing) {
            out += '\n';
            continue;
        }
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                out += reinterpret_cast<const char*>(node->content);
            continue;
        }
        if (node->type != XML_ELEMENT_NODE)
            continue; // comments, processing instructions
        const std::string_view name = NameOf(node);
        if (IsHiddenElement(name))
            continue;
        if (keepUnknown && !IsMarkupElement(name)) {
            out += '<';
            out += name;
            out += '>';
        }
        if (name == "br") {
            out += '\n';
            continue;
        }
        const bool block = IsBlockElement(name);
        if (block) {
            out += '\n';
            stack.push_back({node, true});
        } else if (name == "td" || name == "th") {
            out += ' ';
        }
        pushChildren(node);
    }
    return out;
}

// A microdata property's value, as the microdata rules take it from each element.
std::string PropertyValue(const xmlNode* node) {
    const std::string_view name = NameOf(node);
    const auto attribute = [&](const char* key) { return Attribute(node, key).value_or(""); };
    if (name == "meta")
        return attribute("content");
    if (name == "img" || name == "audio" || name == "video" || name == "source" ||
        name == "embed" || name == "iframe" || name == "track") {
        // Pages that load images late keep the real address aside and a placeholder in src.
        std::string src = attribute("src");
        if (src.empty() || src.starts_with("data:"))
            for (const char* lazy : {"data-src", "data-lazy-src", "data-original"})
                if (auto other = Attribute(node, lazy); other && !other->empty())
                    return *other;
        return src;
    }
    if (name == "a" || name == "area" || name == "link")
        return attribute("href");
    if (name == "object")
        return attribute("data");
    if (name == "data" || name == "meter")
        return attribute("value");
    if (name == "time")
        if (auto datetime = Attribute(node, "datetime"))
            return *datetime;
    if (auto content = Attribute(node, "content"))
        return *content;
    return TextContent(node, false);
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (NextUtf8(text, i) == 0xFFFD && text.substr(at, 3) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

// libxml2 passes some broken bytes of a page through as they were: each one becomes U+FFFD,
// so that everything read from a page is UTF-8.
std::string ValidUtf8(std::string text) {
    if (IsValidUtf8(text))
        return text;
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (NextUtf8(text, i) == 0xFFFD && std::string_view(text).substr(at, 3) != "\xEF\xBF\xBD")
            out += "\xEF\xBF\xBD";
        else
            out.append(text, at, i - at);
    }
    return out;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                                   text[i] == '\r' || text[i] == '\f'))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !(text[end] == ' ' || text[end] == '\t' || text[end] == '\n' ||
                                      text[end] == '\r' || text[end] == '\f'))
            ++end;
        if (end > i)
            words.emplace_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

void ReadDocument(const xmlDoc* doc, WebPage& page) {
    struct Step {
        const xmlNode* node;
        int owner; // the item whose properties this element's subtree holds, or -1
    };
    std::vector<Step> stack;
    for (const xmlNode* top = doc->children; top; top = top->next)
        stack.push_back({top, -1});
    std::reverse(stack.begin(), stack.end());
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const xmlNode* node = step.node;
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const std::string_view name = NameOf(node);
        int owner = step.owner;
        if (name == "script") {
            const std::string type = LowerAscii(Attribute(node, "type").value_or(""));
            if (type.find("application/ld+json") != std::string::npos) {
                xmlChar* content = xmlNodeGetContent(node);
                page.jsonLdBlocks.push_back(
                    ValidUtf8(content ? reinterpret_cast<const char*>(content) : ""));
                xmlFree(content);
            }
            continue;
        }
        const std::optional<std::string> itemprop = Attribute(node, "itemprop");
        const bool scope = Attribute(node, "itemscope").has_value();
        const bool property = itemprop && step.owner >= 0;
        if (scope && page.items.size() < kMicrodataItemLimit) {
            MicrodataItem item;
            item.type = ValidUtf8(Attribute(node, "itemtype").value_or(""));
            item.topLevel = !property;
            page.items.push_back(std::move(item));
            owner = static_cast<int>(page.items.size()) - 1;
        }
        if (property && page.items[step.owner].properties.size() < kMicrodataItemLimit) {
            MicrodataValue value;
            if (scope && owner != step.owner)
                value.item = owner;
            else
                value.text = ValidUtf8(PropertyValue(node));
            for (const std::string& key : Words(ValidUtf8(*itemprop)))
                page.items[step.owner].properties.emplace_back(key, value);
        }
        std::vector<Step> children;
        for (const xmlNode* child = node->children; child; child = child->next)
            children.push_back({child, owner});
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
}

} // namespace

bool ReadWebPage(std::string_view bytes, WebPage& page, std::string& error) {
    page = {};
    if (bytes.size() > kWebPageSizeLimit) {
        error = "pagina are peste " + std::to_string(kWebPageSizeLimit >> 20) + " MB";
        return false;
    }
    // libxml2 knows HTML 4's names only: the rest of HTML5's are given to it as numbers.
    const std::string text = NamedEntitiesAsNumeric(bytes);
    DocPtr doc = ParseHtml(text, nullptr);
    // A page that declares no character set and is no UTF-8 was saved in an 8-bit one; for
    // the Romanian pages this program meets that is Windows-1250 (libxml2 would guess
    // Latin-1, which turns "ă" into "ã").
    if (doc && !doc->encoding && !IsValidUtf8(text))
        doc = ParseHtml(text, "windows-1250");
    if (!doc) {
        error = "pagina nu poate fi citita ca HTML";
        return false;
    }
    ReadDocument(doc.get(), page);
    return true;
}

std::string HtmlFragmentText(std::string_view html) {
    std::string wrapped = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>";
    wrapped += NamedEntitiesAsNumeric(html);
    wrapped += "</body></html>";
    const DocPtr doc = ParseHtml(wrapped, "UTF-8");
    if (!doc)
        return DecodeHtmlEntities(html);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    const xmlNode* body = nullptr;
    for (const xmlNode* child = root ? root->children : nullptr; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && NameOf(child) == "body")
            body = child;
    return body ? ValidUtf8(TextContent(body, true)) : std::string();
}

} // namespace savorel
