// Word-processor files for the engine tests: small templates built from a few lines of
// XML, zips with exactly the headers a test needs, and readers for the results.
#pragma once

#include "word/embedded/UWordPackage.h"

#include <pugixml.hpp>
#include <zip.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct TTestEntry {
    std::string Name;
    std::string Data;
};

// A zip made by libzip, entries in the given order.
inline std::string MakeZip(const std::vector<TTestEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("zip_open_from_source failed");
    zip_source_keep(target);
    for (const TTestEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(zip, entry.Data.data(), entry.Data.size(), 0);
        if (zip_file_add(zip, entry.Name.c_str(), source, 0) < 0)
            throw std::runtime_error("zip_file_add failed");
    }
    if (zip_close(zip) != 0)
        throw std::runtime_error("zip_close failed");
    zip_source_open(target);
    std::string bytes;
    char buffer[4096];
    zip_int64_t got = 0;
    while ((got = zip_source_read(target, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(got));
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return bytes;
}

// A zip written byte by byte: each entry is one stored deflate block holding Data, and
// both headers claim ClaimedSize as the unpacked size. Lets a test lie about sizes.
struct TRawEntry {
    std::string Name;
    std::string Data;
    std::uint32_t ClaimedSize = 0;
};

inline std::uint32_t TestCrc32(const std::string& data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string MakeRawZip(const std::vector<TRawEntry>& entries)
{
    const auto u16 = [](std::string& out, std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    const auto u32 = [&](std::string& out, std::uint32_t v) {
        u16(out, v & 0xFFFF);
        u16(out, v >> 16);
    };
    std::string body;
    std::string directory;
    for (const TRawEntry& entry : entries) {
        std::string deflated;
        deflated += '\x01';  // final block, stored
        u16(deflated, static_cast<std::uint32_t>(entry.Data.size()));
        u16(deflated, static_cast<std::uint32_t>(~entry.Data.size() & 0xFFFF));
        deflated += entry.Data;
        const auto offset = static_cast<std::uint32_t>(body.size());
        const std::uint32_t crc = TestCrc32(entry.Data);
        const auto writeCommon = [&](std::string& out) {
            u16(out, 20);    // version needed
            u16(out, 0);     // flags
            u16(out, 8);     // deflate
            u16(out, 0);     // time
            u16(out, 0x21);  // date 1980-01-01
            u32(out, crc);
            u32(out, static_cast<std::uint32_t>(deflated.size()));
            u32(out, entry.ClaimedSize);
            u16(out, static_cast<std::uint32_t>(entry.Name.size()));
            u16(out, 0);  // extra
        };
        u32(body, 0x04034b50);
        writeCommon(body);
        body += entry.Name;
        body += deflated;
        u32(directory, 0x02014b50);
        u16(directory, 20);  // version made by
        writeCommon(directory);
        u16(directory, 0);  // comment
        u16(directory, 0);  // disk
        u16(directory, 0);  // internal attributes
        u32(directory, 0);  // external attributes
        u32(directory, offset);
        directory += entry.Name;
    }
    std::string end;
    u32(end, 0x06054b50);
    u16(end, 0);
    u16(end, 0);
    u16(end, static_cast<std::uint32_t>(entries.size()));
    u16(end, static_cast<std::uint32_t>(entries.size()));
    u32(end, static_cast<std::uint32_t>(directory.size()));
    u32(end, static_cast<std::uint32_t>(body.size()));
    u16(end, 0);
    return body + directory + end;
}

inline const char* const kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline const char* const kTemplateMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
inline const char* const kDocumentMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

// An Office Open XML template; the story texts are the inner XML of their root, with
// the prefix "w" bound. An empty story is left out.
struct TDocxLayout {
    std::string Body;
    std::string Header;
    std::string Footer;
    std::string Footnotes;
    std::string Settings = "<w:zoom w:percent=\"100\"/><w:compat/>";
    bool HasSettings = true;
    std::string MainType = kTemplateMainType;
    bool Macros = false;
};

inline std::string StoryXml(const char* root, const std::string& inner, const std::string& extraNamespaces = {})
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:") + root + " xmlns:w=\"" +
        kW + "\"" + extraNamespaces + ">" + inner + "</w:" + root + ">";
}

inline std::vector<TTestEntry> DocxEntries(const TDocxLayout& layout)
{
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"" +
        layout.MainType + "\"/>";
    std::string rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<TTestEntry> parts;
    const auto story = [&](const std::string& inner, const char* root, const char* file, const char* type,
                           const char* contentType) {
        if (inner.empty())
            return;
        parts.push_back({std::string("word/") + file, StoryXml(root, inner)});
        types += std::string("<Override PartName=\"/word/") + file + "\" ContentType=\"" +
            "application/vnd.openxmlformats-officedocument.wordprocessingml." + contentType + "+xml\"/>";
        rels += "<Relationship Id=\"rId" + std::to_string(parts.size()) + "\" Type=\"" + rel + type + "\" Target=\"" +
            file + "\"/>";
    };
    story(layout.Header, "hdr", "header1.xml", "header", "header");
    story(layout.Footer, "ftr", "footer1.xml", "footer", "footer");
    story(layout.Footnotes, "footnotes", "footnotes.xml", "footnotes", "footnotes");
    if (layout.HasSettings)
        story(layout.Settings, "settings", "settings.xml", "settings", "settings");
    if (layout.Macros) {
        types += "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>"
                 "<Override PartName=\"/word/vbaData.xml\" ContentType=\"application/vnd.ms-word.vbaData+xml\"/>";
        rels += "<Relationship Id=\"rIdVba\" Type=\"http://schemas.microsoft.com/office/2006/relationships/vbaProject\""
                " Target=\"vbaProject.bin\"/>";
        parts.push_back({"word/vbaProject.bin", std::string("VBA\0\1\2 macro bytes", 18)});
        parts.push_back({"word/_rels/vbaProject.bin.rels",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"rId1\" Type=\"http://schemas.microsoft.com/office/2006/relationships/"
                         "wordVbaData\" Target=\"vbaData.xml\"/></Relationships>"});
        parts.push_back({"word/vbaData.xml",
                         "<?xml version=\"1.0\"?><wne:vbaSuppData "
                         "xmlns:wne=\"http://schemas.microsoft.com/office/word/2006/wordml\"/>"});
    }
    types += "</Types>";
    rels += "</Relationships>";
    std::vector<TTestEntry> entries = {
        {"[Content_Types].xml", types},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel +
             "officeDocument\" Target=\"word/document.xml\"/>"
             "</Relationships>"},
        {"word/document.xml",
         StoryXml("document", "<w:body>" + layout.Body + "</w:body>",
                  " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
                  " xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\""
                  " xmlns:v=\"urn:schemas-microsoft-com:vml\"")},
        {"word/_rels/document.xml.rels", rels},
        {"docProps/app.xml", "<?xml version=\"1.0\"?><Properties><Template>Test.dotx</Template></Properties>"},
    };
    entries.insert(entries.end(), parts.begin(), parts.end());
    return entries;
}

inline std::string MakeDocx(const TDocxLayout& layout)
{
    return MakeZip(DocxEntries(layout));
}

inline const char* const kOdfNamespaces = " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                                          " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                                          " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                                          " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                                          " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
                                          " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
                                          " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
                                          " office:version=\"1.3\"";

// An OpenDocument text template: Body is the inner XML of office:text, MasterPage the
// inner XML of the standard master page (headers, footers).
struct TOttLayout {
    std::string Body;
    std::string MasterPage;
    std::string MimeType = "application/vnd.oasis.opendocument.text-template";
};

inline std::vector<TTestEntry> OttEntries(const TOttLayout& layout)
{
    return {
        {"mimetype", layout.MimeType},
        {"content.xml",
         std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content") + kOdfNamespaces +
             "><office:automatic-styles><style:style style:name=\"T1\" "
             "style:family=\"text\"><style:text-properties fo:font-weight=\"bold\"/></style:style>"
             "</office:automatic-styles><office:body><office:text>" +
             layout.Body + "</office:text></office:body></office:document-content>"},
        {"styles.xml",
         std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles") + kOdfNamespaces +
             "><office:master-styles><style:master-page style:name=\"Standard\">" + layout.MasterPage +
             "</style:master-page></office:master-styles></office:document-styles>"},
        {"META-INF/manifest.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
         "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.3\">"
         "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" manifest:media-type=\"" +
             layout.MimeType +
             "\"/>"
             "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
             "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
             "</manifest:manifest>"},
    };
}

inline std::string MakeOtt(const TOttLayout& layout)
{
    return MakeZip(OttEntries(layout));
}

// One part of a written document.
inline std::string PartOf(const std::string& zipBytes, const std::string& name)
{
    std::string error;
    auto package = TWordPackage::Open(zipBytes, error);
    if (!package)
        throw std::runtime_error("result is no zip: " + error);
    TPackageBytes part = package->Read(name);
    if (!part)
        throw std::runtime_error(part.Error);
    return std::move(part.Bytes);
}

inline std::unique_ptr<pugi::xml_document> ParseXml(const std::string& xml)
{
    auto doc = std::make_unique<pugi::xml_document>();
    if (!doc->load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata))
        throw std::runtime_error("result is not XML");
    return doc;
}

// The node after n in document order inside root, not descending into n unless asked;
// null after the last.
inline pugi::xml_node NextBelow(pugi::xml_node n, pugi::xml_node root, bool descend = true)
{
    if (descend && n.first_child())
        return n.first_child();
    while (n != root && !n.next_sibling())
        n = n.parent();
    return n == root ? pugi::xml_node() : n.next_sibling();
}

// The text of each paragraph of an Office Open XML story: breaks as "\n", tabs as "\t".
// Nested paragraphs (text boxes) are listed after the paragraph that holds them.
inline std::vector<std::string> DocxParagraphs(const std::string& xml)
{
    auto doc = ParseXml(xml);
    std::vector<std::string> texts;
    for (const pugi::xpath_node& p : doc->select_nodes("//w:p")) {
        std::string text;
        for (pugi::xml_node n = p.node().first_child(); n;) {
            const std::string tag = n.name();
            text += tag == "w:t" ? n.text().get() : tag == "w:br" ? "\n" : tag == "w:tab" ? "\t" : "";
            n = NextBelow(n, p.node(), tag != "w:p" && tag != "w:t");
        }
        texts.push_back(text);
    }
    return texts;
}

// The text inside the first occurrence of a bookmark (Office Open XML).
inline std::string DocxBookmarkText(const std::string& xml, const std::string& name)
{
    auto doc = ParseXml(xml);
    const pugi::xml_node start = doc->select_node(("//w:bookmarkStart[@w:name='" + name + "']").c_str()).node();
    if (!start)
        return "<no bookmark>";
    const std::string id = start.attribute("w:id").value();
    std::string text;
    for (pugi::xml_node n = start; n;) {
        if (n != start && std::string(n.name()) == "w:bookmarkEnd" && id == n.attribute("w:id").value())
            return text;
        const std::string tag = n.name();
        if (tag == "w:t")
            text += n.text().get();
        else if (tag == "w:br")
            text += "\n";
        else if (tag == "w:tab")
            text += "\t";
        else if (tag == "w:p" && n != start && !text.empty())
            text += "|";  // paragraph border inside the bookmark
        n = NextBelow(n, *doc);
    }
    return "<no end>";
}

// The text of each paragraph of an OpenDocument story: line breaks "\n", tabs "\t",
// text:s as blanks.
inline std::vector<std::string> OdfParagraphs(const std::string& xml)
{
    auto doc = ParseXml(xml);
    std::vector<std::string> texts;
    for (const pugi::xpath_node& p : doc->select_nodes("//text:p | //text:h")) {
        std::string text;
        for (pugi::xml_node n = p.node().first_child(); n;) {
            const std::string tag = n.name();
            if (n.type() == pugi::node_pcdata)
                text += n.value();
            else if (tag == "text:line-break")
                text += "\n";
            else if (tag == "text:tab")
                text += "\t";
            else if (tag == "text:s")
                text += std::string(n.attribute("text:c").as_uint(1), ' ');
            n = NextBelow(n, p.node(), tag != "text:p" && tag != "text:h");
        }
        texts.push_back(text);
    }
    return texts;
}

// Empty when every complex field of an Office Open XML story is whole: begin, at most one
// separate and end, in this order and properly nested; else what is wrong.
inline std::string FieldProblems(const std::string& xml)
{
    auto doc = ParseXml(xml);
    std::vector<bool> separated;  // per open field
    for (const pugi::xpath_node& found : doc->select_nodes("//w:fldChar")) {
        const std::string type = found.node().attribute("w:fldCharType").value();
        if (type == "begin") {
            separated.push_back(false);
        } else if (type == "separate") {
            if (separated.empty() || separated.back())
                return "a separate character outside a field or twice in one";
            separated.back() = true;
        } else if (type == "end") {
            if (separated.empty())
                return "an end character without a begin";
            separated.pop_back();
        }
    }
    return separated.empty() ? std::string() : std::to_string(separated.size()) + " fields without an end";
}

// Runs of a legacy form field as Word writes them. The form data goes into the begin
// character; the bookmark of a form field starts just after it.
inline std::string FormFieldRuns(const std::string& formData, const std::string& instruction, const std::string& result,
                                 const std::string& bookmarkAfterBegin = {})
{
    std::string runs = "<w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData>" + formData +
        "</w:ffData></w:fldChar></w:r>" + bookmarkAfterBegin + "<w:r><w:instrText xml:space=\"preserve\"> " +
        instruction + " </w:instrText></w:r>";
    if (!result.empty())
        runs +=
            "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" +
            result + "</w:t></w:r>";
    return runs + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

// A form as Word users build it: labels with a text form field, a check box and a
// drop-down, each with its bookmark from just after the field's begin to after its end,
// and a bookmark that starts before a date field and ends inside its result.
inline std::string FormBody()
{
    const auto label = [](const std::string& text) {
        return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
    };
    const auto start = [](int id, const std::string& name) {
        return "<w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/>";
    };
    const auto end = [](int id) { return "<w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/>"; };
    return "<w:p>" + label("Name: ") +
        FormFieldRuns("<w:name w:val=\"Name\"/><w:enabled/><w:textInput><w:maxLength w:val=\"40\"/></w:textInput>",
                      "FORMTEXT", "\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82", start(1, "Name")) +
        end(1) + label(" (bitte vollst\xC3\xA4ndig)") + "</w:p>" + "<w:p>" + label("Einverstanden: ") +
        start(2, "Zustimmung") +
        FormFieldRuns("<w:name w:val=\"Check1\"/><w:enabled/><w:checkBox><w:sizeAuto/><w:default w:val=\"0\"/>"
                      "</w:checkBox>",
                      "FORMCHECKBOX", "") +
        end(2) + "</w:p>" + "<w:p>" + label("Farbe: ") +
        FormFieldRuns("<w:name w:val=\"Farbe\"/><w:enabled/><w:ddList><w:listEntry w:val=\"Rot\"/>"
                      "<w:listEntry w:val=\"Blau\"/></w:ddList>",
                      "FORMDROPDOWN", "Rot", start(3, "Farbe")) +
        end(3) + "</w:p>" + "<w:p>" + label("Stand: ") + start(4, "Stand") + label("vom ") +
        "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> DATE \\@ \"dd.MM.yyyy\" </w:instrText></w:r>"
        "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>01.</w:t></w:r>" +
        end(4) + "<w:r><w:t>01.2026</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>" + label(" Ende") +
        "</w:p>";
}

// A compound file (the container of binary Office files, version 3, 512-byte sectors)
// with the streams, each stored in whole sectors. Enough for readers of its directory.
inline std::string MakeCompoundFile(const std::vector<TTestEntry>& streams)
{
    const auto put32 = [](std::string& out, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    const auto put16 = [](std::string& out, std::size_t at, std::uint16_t value) {
        out[at] = static_cast<char>(value & 0xFF);
        out[at + 1] = static_cast<char>(value >> 8);
    };
    constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
    const std::size_t entries = streams.size() + 1;
    const std::uint32_t dirSectors = static_cast<std::uint32_t>((entries + 3) / 4);
    std::vector<std::uint32_t> fat = {kFatSector};
    for (std::uint32_t i = 0; i < dirSectors; ++i)
        fat.push_back(i + 1 < dirSectors ? i + 2 : kEnd);
    std::string data, directory(dirSectors * 512, '\0');
    std::vector<std::uint32_t> starts;
    for (const TTestEntry& stream : streams) {
        std::string bytes = stream.Data;
        bytes.resize(std::max<std::size_t>((bytes.size() + 511) / 512 * 512, 4096), '\0');
        const std::uint32_t first = static_cast<std::uint32_t>(fat.size());
        starts.push_back(first);
        const std::uint32_t count = static_cast<std::uint32_t>(bytes.size() / 512);
        for (std::uint32_t i = 0; i < count; ++i)
            fat.push_back(i + 1 < count ? first + i + 1 : kEnd);
        data += bytes;
    }
    if (fat.size() > 128)
        throw std::runtime_error("MakeCompoundFile: one allocation sector only");
    const auto entry = [&](std::size_t index, const std::string& name, std::uint8_t type, std::uint32_t start,
                           std::uint32_t size, std::uint32_t child, std::uint32_t right) {
        const std::size_t at = index * 128;
        for (std::size_t i = 0; i < name.size(); ++i)
            directory[at + 2 * i] = name[i];
        put16(directory, at + 0x40, static_cast<std::uint16_t>(2 * (name.size() + 1)));
        directory[at + 0x42] = static_cast<char>(type);
        directory[at + 0x43] = 1;  // black
        put32(directory, at + 0x44, kFree);
        put32(directory, at + 0x48, right);
        put32(directory, at + 0x4C, child);
        put32(directory, at + 0x74, start);
        put32(directory, at + 0x78, size);
    };
    entry(0, "Root Entry", 5, kEnd, 0, streams.empty() ? kFree : 1, kFree);
    for (std::size_t i = 0; i < streams.size(); ++i)
        entry(i + 1, streams[i].Name, 2, starts[i], static_cast<std::uint32_t>(streams[i].Data.size()), kFree,
              i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree);
    std::string header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(header, 0x18, 0x3E);
    put16(header, 0x1A, 3);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, 9);
    put16(header, 0x20, 6);
    put32(header, 0x2C, 1);
    put32(header, 0x30, 1);
    put32(header, 0x38, 4096);
    put32(header, 0x3C, kEnd);
    put32(header, 0x44, kEnd);
    put32(header, 0x4C, 0);
    for (std::size_t i = 1; i < 109; ++i)
        put32(header, 0x4C + 4 * i, kFree);
    std::string fatSector(512, '\0');
    for (std::size_t i = 0; i < 128; ++i)
        put32(fatSector, 4 * i, i < fat.size() ? fat[i] : kFree);
    return header + fatSector + directory + data;
}

// The start of a Word 97 "WordDocument" stream: its identification and, when asked, the
// flag of a document encrypted with a password.
inline std::string WordDocumentStream(bool encrypted)
{
    std::string fib(4096, '\0');
    fib[0] = '\xEC';
    fib[1] = '\xA5';
    fib[0x0B] = encrypted ? '\x01' : '\0';
    return fib;
}

// Tables with bookmarks across the cells of a row, across rows and around a whole table,
// as Office Open XML body and as OpenDocument body.
inline std::string TableBodyDocx()
{
    const auto run = [](const std::string& text) { return "<w:r><w:t>" + text + "</w:t></w:r>"; };
    const auto cell = [&](const std::string& inner) { return "<w:tc><w:tcPr/><w:p>" + inner + "</w:p></w:tc>"; };
    const auto table = [](const std::string& rows) {
        return "<w:tbl><w:tblPr/><w:tblGrid><w:gridCol/><w:gridCol/></w:tblGrid>" + rows + "</w:tbl>";
    };
    const auto start = [](int id, const char* name) {
        return "<w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/>";
    };
    const auto end = [](int id) { return "<w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/>"; };
    return "<w:p>" + run("Tabellen") + "</w:p>" +
        table("<w:tr>" + cell(run("a") + start(1, "Zeile") + run("x")) + cell(run("y") + end(1)) + "</w:tr>" +
              "<w:tr>" + cell(start(2, "Zeilen") + run("1")) + cell(run("2")) + "</w:tr><w:tr>" + cell(run("3")) +
              cell(run("4") + end(2) + run("!")) + "</w:tr>") +
        "<w:p>" + run("zwischen") + "</w:p>" + start(3, "Ganz") +
        table("<w:tr>" + cell(run("5")) + cell(run("6")) + "</w:tr>") + end(3) + "<w:p>" + run("Ende") + "</w:p>";
}

inline std::string TableBodyOdf()
{
    const auto cell = [](const std::string& inner) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + inner + "</text:p></table:table-cell>";
    };
    const auto table = [](const std::string& rows) {
        return "<table:table table:name=\"T\"><table:table-column table:number-columns-repeated=\"2\"/>" + rows +
            "</table:table>";
    };
    const auto start = [](const char* name) {
        return std::string("<text:bookmark-start text:name=\"") + name + "\"/>";
    };
    const auto end = [](const char* name) { return std::string("<text:bookmark-end text:name=\"") + name + "\"/>"; };
    return "<text:p>Tabellen</text:p>" +
        table("<table:table-row>" + cell("a" + start("Zeile") + "x") + cell("y" + end("Zeile")) + "</table:table-row>" +
              "<table:table-row>" + cell(start("Zeilen") + "1") + cell("2") + "</table:table-row><table:table-row>" +
              cell("3") + cell("4" + end("Zeilen") + "!") + "</table:table-row>") +
        "<text:p>Ende</text:p>";
}
