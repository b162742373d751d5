#!/usr/bin/env python3
"""Writes the word-processor templates of the examples: for every data/Examples/*.TXL a
".dotx" and an ".ott" named after its WTemplate, with one bookmark per field.

Each document has a letterhead in its header, a footer with the creation date (a date
field) and the page number, a table, and a cross-reference to one bookmark. Fields the
layout of a template does not place go into a table at the end, so that every field
has its bookmark even when the questionnaire changes. The files are reproducible: the
same input gives the same bytes.

The examples named in BINARY_EXAMPLES also get a binary Word template (".dot") made
from their ".dotx" by LibreOffice, when "soffice" is installed; those files carry the
office's own time stamps.

Usage: tools/make-example-templates.py [EXAMPLES_FOLDER]   (default: data/Examples)
Only Python's standard library is used.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile
from xml.sax.saxutils import escape, quoteattr

MARKER = "COMMON_APPDATA_TAVIX_EXAMPLES\\"
# The examples that ship a ".dot" beside their ".dotx", to show the LibreOffice path.
BINARY_EXAMPLES = ("Invoice",)
FIXED_TIME = (2024, 1, 1, 0, 0, 0)

# Letterhead and the texts around the fields, per language.
TEXTS = {
    "de": {
        "company": "Musterfirma GmbH",
        "address": "Musterstra\u00dfe 1 \u00b7 12345 Musterstadt \u00b7 Telefon 01234 56789 \u00b7 info@musterfirma.example",
        "created": "Erstellt am ",
        "page": "Seite ",
        "more": "Weitere Angaben",
        "date_format_ooxml": "d. MMMM yyyy",
    },
    "en": {
        "company": "Sample Company Ltd",
        "address": "1 Sample Street \u00b7 Sampletown SA1 2BC \u00b7 Phone 01234 567890 \u00b7 info@sample.example",
        "created": "Created on ",
        "page": "Page ",
        "more": "Further details",
        "date_format_ooxml": "MMMM d, yyyy",
    },
}

# The layout of each example, by WTemplate name. Items of a paragraph: plain text,
# ("bm", ID) a field's bookmark, ("ref", ID) a cross-reference to it.
# Blocks: ("p", items), ("h", items) a heading, ("b", items) bold, ("table", rows,
# header) with each cell a list of items, ("gap",) an empty paragraph.
LAYOUTS = {
    "Geschaeftsbrief": ("de", [
        ("p", [("bm", "Empfaenger")]),
        ("gap",),
        ("table", [["Ihr Zeichen", "Unser Zeichen", "Datum"],
                   [[("bm", "IhrZeichen")], [("bm", "UnserZeichen")], [("bm", "Datum")]]], True),
        ("gap",),
        ("b", [("bm", "Betreff")]),
        ("gap",),
        ("p", [("bm", "Anrede")]),
        ("p", [("bm", "Brieftext")]),
        ("gap",),
        ("p", [("bm", "Gruss")]),
        ("gap",),
        ("p", [("bm", "Absender")]),
        ("gap",),
        ("p", ["Anlagen: ", ("bm", "Anlagen")]),
        ("small", ["Bitte geben Sie bei Antworten unser Zeichen an: ", ("ref", "UnserZeichen")]),
    ]),
    "Business Letter": ("en", [
        ("p", [("bm", "Recipient")]),
        ("gap",),
        ("table", [["Your reference", "Date"], [[("bm", "Reference")], [("bm", "LetterDate")]]], True),
        ("gap",),
        ("b", [("bm", "Subject")]),
        ("gap",),
        ("p", [("bm", "Salutation")]),
        ("p", [("bm", "Body")]),
        ("gap",),
        ("p", [("bm", "Closing")]),
        ("gap",),
        ("p", [("bm", "Sender")]),
        ("gap",),
        ("p", ["Enclosures: ", ("bm", "Enclosures")]),
        ("small", ["Re: ", ("ref", "Subject")]),
    ]),
    "Angebot": ("de", [
        ("p", [("bm", "Kunde")]),
        ("gap",),
        ("h", ["Angebot Nr. ", ("bm", "AngebotNr")]),
        ("table", [["Datum", [("bm", "Datum")]], ["G\u00fcltig bis", [("bm", "GueltigBis")]]], False),
        ("gap",),
        ("p", ["Wir bieten Ihnen an:"]),
        ("table", [["Leistung", "Menge", "Einzelpreis netto (EUR)", "Rabatt (%)"],
                   [[("bm", "Leistung")], [("bm", "Menge")], [("bm", "Einzelpreis")], [("bm", "Rabatt")]]], True),
        ("gap",),
        ("p", ["Zuz\u00fcglich ", ("bm", "Steuersatz"), " % Umsatzsteuer."]),
        ("p", ["Lieferzeit: ", ("bm", "Lieferzeit")]),
        ("p", ["Zahlungsbedingungen: ", ("bm", "Zahlung")]),
        ("gap",),
        ("p", ["Wir freuen uns auf Ihren Auftrag zu unserem Angebot ", ("ref", "AngebotNr"), "."]),
    ]),
    "Invoice": ("en", [
        ("p", [("bm", "Customer")]),
        ("gap",),
        ("h", ["Invoice No. ", ("bm", "InvoiceNo")]),
        ("table", [["Invoice date", [("bm", "InvoiceDate")]], ["Customer number", [("bm", "CustomerNo")]],
                   ["Date of delivery", [("bm", "DeliveryDate")]]], False),
        ("gap",),
        ("table", [["Description", "Quantity", "Unit price (net)", "Discount (%)", "Sales tax (%)"],
                   [[("bm", "Description")], [("bm", "Quantity")], [("bm", "UnitPrice")], [("bm", "Discount")],
                    [("bm", "VatRate")]]], True),
        ("gap",),
        ("p", ["Terms of payment: ", ("bm", "Terms")]),
        ("p", [("bm", "Notes")]),
        ("gap",),
        ("p", ["Please quote invoice number ", ("ref", "InvoiceNo"), " with your payment."]),
    ]),
    "Besprechungsprotokoll": ("de", [
        ("h", ["Protokoll: ", ("bm", "Besprechung")]),
        ("table", [["Datum", [("bm", "Datum")]], ["Beginn", [("bm", "Beginn")]], ["Ende", [("bm", "Ende")]],
                   ["Ort", [("bm", "Ort")]], ["Leitung", [("bm", "Leitung")]],
                   ["Protokoll", [("bm", "Protokoll")]]], False),
        ("h2", ["Teilnehmerinnen und Teilnehmer"]),
        ("p", [("bm", "Teilnehmer")]),
        ("h2", ["Tagesordnung"]),
        ("p", [("bm", "Tagesordnung")]),
        ("h2", ["Ergebnisse und Beschl\u00fcsse"]),
        ("p", [("bm", "Ergebnisse")]),
        ("h2", ["Aufgaben"]),
        ("p", [("bm", "Aufgaben")]),
        ("gap",),
        ("p", ["N\u00e4chste Besprechung: ", ("bm", "Naechste")]),
        ("gap",),
        ("p", ["F\u00fcr das Protokoll: ", ("ref", "Protokoll")]),
    ]),
    "Meeting Minutes": ("en", [
        ("h", ["Minutes: ", ("bm", "Meeting")]),
        ("table", [["Date", [("bm", "MeetingDate")]], ["Start", [("bm", "StartTime")]],
                   ["End", [("bm", "EndTime")]], ["Place", [("bm", "Location")]],
                   ["Chaired by", [("bm", "Chair")]], ["Minutes taken by", [("bm", "Minutes")]],
                   ["Participants present", [("bm", "Present")]]], False),
        ("h2", ["Participants"]),
        ("p", [("bm", "Attendees")]),
        ("h2", ["Agenda"]),
        ("p", [("bm", "Agenda")]),
        ("h2", ["Decisions and results"]),
        ("p", [("bm", "Decisions")]),
        ("h2", ["Action items"]),
        ("p", [("bm", "Actions")]),
        ("gap",),
        ("p", ["Next meeting: ", ("bm", "NextMeeting")]),
        ("gap",),
        ("p", ["Minutes taken by ", ("ref", "Minutes")]),
    ]),
}


def read_template(path):
    root = ET.parse(path).getroot()
    wtemplate = (root.findtext("WTemplate") or "").strip()
    if wtemplate.startswith(MARKER):
        wtemplate = wtemplate[len(MARKER):]
    fields = []
    for field in root.findall("Field"):
        fields.append(((field.findtext("ID") or "").strip(), (field.findtext("Question") or "").strip()))
    return (root.findtext("Title") or "").strip(), wtemplate, fields


def items_of(block):
    if block[0] == "table":
        for row in block[1]:
            for cell in row:
                if isinstance(cell, list):
                    yield from cell
    elif len(block) > 1:
        yield from block[1]


def complete_layout(name, title, fields):
    """The layout for a template: its own, without fields the template lacks, plus a
    table of the fields it does not place; a generic one for unknown templates."""
    ids = [fid for fid, _ in fields]
    language, blocks = LAYOUTS.get(name, ("de", [("h", [title])]))

    def keep(item):
        return not isinstance(item, tuple) or item[1] in ids

    result = []
    for block in blocks:
        if block[0] == "table":
            rows = [[[i for i in cell if keep(i)] if isinstance(cell, list) else cell for cell in row]
                    for row in block[1]]
            result.append(("table", rows, block[2]))
        elif len(block) > 1:
            result.append((block[0], [i for i in block[1] if keep(i)]))
        else:
            result.append(block)
    placed = {item[1] for block in result for item in items_of(block) if isinstance(item, tuple) and item[0] == "bm"}
    rest = [(fid, question) for fid, question in fields if fid not in placed]
    if rest:
        result.append(("h2", [TEXTS[language]["more"]]))
        result.append(("table", [[question, [("bm", fid)]] for fid, question in rest], False))
    return language, result


# Office Open XML ------------------------------------------------------------------

W_NS = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
XML_DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'


class Docx:
    def __init__(self, questions):
        self.questions = questions
        self.next_id = 0

    def run(self, text, props=""):
        rpr = "<w:rPr>%s</w:rPr>" % props if props else ""
        return '<w:r>%s<w:t xml:space="preserve">%s</w:t></w:r>' % (rpr, escape(text))

    def items(self, items, props=""):
        out = []
        for item in items:
            if isinstance(item, str):
                out.append(self.run(item, props))
            elif item[0] == "bm":
                self.next_id += 1
                out.append('<w:bookmarkStart w:id="%d" w:name=%s/>' % (self.next_id, quoteattr(item[1])))
                out.append(self.run("[%s]" % self.questions[item[1]], props))
                out.append('<w:bookmarkEnd w:id="%d"/>' % self.next_id)
            elif item[0] == "ref":
                out.append('<w:r><w:fldChar w:fldCharType="begin"/></w:r>'
                           '<w:r><w:instrText xml:space="preserve"> REF %s \\h </w:instrText></w:r>'
                           '<w:r><w:fldChar w:fldCharType="separate"/></w:r>%s'
                           '<w:r><w:fldChar w:fldCharType="end"/></w:r>'
                           % (item[1], self.run("[%s]" % self.questions[item[1]], props)))
        return "".join(out)

    def paragraph(self, items, style=None, props=""):
        ppr = '<w:pPr><w:pStyle w:val="%s"/></w:pPr>' % style if style else ""
        return "<w:p>%s%s</w:p>" % (ppr, self.items(items, props))

    def table(self, rows, header):
        columns = max(len(row) for row in rows)
        width = 9000 // columns
        out = ['<w:tbl><w:tblPr><w:tblStyle w:val="Tabelle"/><w:tblW w:w="%d" w:type="dxa"/></w:tblPr>'
               '<w:tblGrid>%s</w:tblGrid>' % (width * columns, '<w:gridCol w:w="%d"/>' % width * columns)]
        for index, row in enumerate(rows):
            out.append("<w:tr>")
            for column, cell in enumerate(row):
                items = [cell] if isinstance(cell, str) else cell
                bold = (header and index == 0) or (not header and column == 0)
                out.append('<w:tc><w:tcPr><w:tcW w:w="%d" w:type="dxa"/></w:tcPr>%s</w:tc>'
                           % (width, self.paragraph(items, None, "<w:b/>" if bold else "")))
            out.append("</w:tr>")
        out.append("</w:tbl>")
        return "".join(out)

    def body(self, blocks):
        out = []
        for block in blocks:
            kind = block[0]
            if kind == "table":
                out.append(self.table(block[1], block[2]))
            elif kind == "gap":
                out.append("<w:p/>")
            elif kind == "h":
                out.append(self.paragraph(block[1], "Titel"))
            elif kind == "h2":
                out.append(self.paragraph(block[1], "Zwischentitel"))
            elif kind == "b":
                out.append(self.paragraph(block[1], None, "<w:b/>"))
            elif kind == "small":
                out.append(self.paragraph(block[1], "Klein"))
            else:
                out.append(self.paragraph(block[1]))
        return "".join(out)


def docx_files(language, blocks, questions):
    t = TEXTS[language]
    doc = Docx(questions)
    body = doc.body(blocks)
    section = ('<w:sectPr><w:headerReference w:type="default" r:id="rId2"/>'
               '<w:footerReference w:type="default" r:id="rId3"/>'
               '<w:pgSz w:w="11906" w:h="16838"/>'
               '<w:pgMar w:top="2268" w:right="1247" w:bottom="1701" w:left="1418" w:header="709" '
               'w:footer="709" w:gutter="0"/></w:sectPr>')
    document = XML_DECL + '<w:document %s><w:body>%s%s</w:body></w:document>' % (W_NS, body, section)
    header = (XML_DECL + '<w:hdr %s>' % W_NS
              + '<w:p><w:pPr><w:pStyle w:val="Briefkopf"/></w:pPr>%s</w:p>' % doc.run(t["company"])
              + '<w:p><w:pPr><w:pStyle w:val="Klein"/><w:pBdr><w:bottom w:val="single" w:sz="6" w:space="4" '
                'w:color="808080"/></w:pBdr></w:pPr>%s</w:p>' % doc.run(t["address"])
              + "</w:hdr>")
    footer = (XML_DECL + '<w:ftr %s><w:p><w:pPr><w:pStyle w:val="Klein"/></w:pPr>' % W_NS
              + doc.run(t["created"])
              + '<w:fldSimple w:instr=" DATE \\@ &quot;%s&quot; ">%s</w:fldSimple>'
              % (t["date_format_ooxml"], doc.run("-"))
              + doc.run(" \u00b7 " + t["page"])
              + '<w:fldSimple w:instr=" PAGE ">%s</w:fldSimple>' % doc.run("1")
              + "</w:p></w:ftr>")
    font = '<w:rFonts w:ascii="Liberation Sans" w:hAnsi="Liberation Sans" w:cs="Liberation Sans"/>'
    styles = (XML_DECL + '<w:styles %s>' % W_NS
              + '<w:docDefaults><w:rPrDefault><w:rPr>%s<w:sz w:val="22"/><w:lang w:val="%s"/></w:rPr></w:rPrDefault>'
                '<w:pPrDefault><w:pPr><w:spacing w:after="60" w:line="264" w:lineRule="auto"/></w:pPr>'
                '</w:pPrDefault></w:docDefaults>' % (font, "de-DE" if language == "de" else "en-GB")
              + '<w:style w:type="paragraph" w:default="1" w:styleId="Standard"><w:name w:val="Normal"/></w:style>'
              + '<w:style w:type="paragraph" w:styleId="Titel"><w:name w:val="Title"/><w:basedOn w:val="Standard"/>'
                '<w:pPr><w:spacing w:before="240" w:after="120"/></w:pPr><w:rPr><w:b/><w:sz w:val="32"/></w:rPr>'
                '</w:style>'
              + '<w:style w:type="paragraph" w:styleId="Zwischentitel"><w:name w:val="heading 2"/>'
                '<w:basedOn w:val="Standard"/><w:pPr><w:spacing w:before="200" w:after="60"/></w:pPr>'
                '<w:rPr><w:b/><w:sz w:val="24"/></w:rPr></w:style>'
              + '<w:style w:type="paragraph" w:styleId="Briefkopf"><w:name w:val="Letterhead"/>'
                '<w:basedOn w:val="Standard"/><w:rPr><w:b/><w:color w:val="1F3864"/><w:sz w:val="36"/></w:rPr>'
                '</w:style>'
              + '<w:style w:type="paragraph" w:styleId="Klein"><w:name w:val="Small"/><w:basedOn w:val="Standard"/>'
                '<w:rPr><w:color w:val="595959"/><w:sz w:val="16"/></w:rPr></w:style>'
              + '<w:style w:type="table" w:styleId="Tabelle"><w:name w:val="Table Grid"/><w:tblPr><w:tblBorders>'
              + "".join('<w:%s w:val="single" w:sz="4" w:space="0" w:color="808080"/>' % side
                        for side in ("top", "left", "bottom", "right", "insideH", "insideV"))
              + '</w:tblBorders><w:tblCellMar><w:left w:w="85" w:type="dxa"/><w:right w:w="85" w:type="dxa"/>'
                '</w:tblCellMar></w:tblPr></w:style>'
              + "</w:styles>")
    settings = (XML_DECL + '<w:settings %s><w:zoom w:percent="100"/><w:defaultTabStop w:val="709"/>'
                           '<w:compat/></w:settings>' % W_NS)
    wml = "application/vnd.openxmlformats-officedocument.wordprocessingml."
    types = (XML_DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/word/document.xml" ContentType="%stemplate.main+xml"/>'
             '<Override PartName="/word/styles.xml" ContentType="%sstyles+xml"/>'
             '<Override PartName="/word/settings.xml" ContentType="%ssettings+xml"/>'
             '<Override PartName="/word/header1.xml" ContentType="%sheader+xml"/>'
             '<Override PartName="/word/footer1.xml" ContentType="%sfooter+xml"/>'
             '</Types>' % ((wml,) * 5))
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    root_rels = (XML_DECL + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                 '<Relationship Id="rId1" Type="%sofficeDocument" Target="word/document.xml"/>'
                 '</Relationships>' % rel)
    doc_rels = (XML_DECL + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                '<Relationship Id="rId1" Type="%sstyles" Target="styles.xml"/>'
                '<Relationship Id="rId2" Type="%sheader" Target="header1.xml"/>'
                '<Relationship Id="rId3" Type="%sfooter" Target="footer1.xml"/>'
                '<Relationship Id="rId4" Type="%ssettings" Target="settings.xml"/>'
                '</Relationships>' % ((rel,) * 4))
    return [
        ("[Content_Types].xml", types),
        ("_rels/.rels", root_rels),
        ("word/document.xml", document),
        ("word/_rels/document.xml.rels", doc_rels),
        ("word/styles.xml", styles),
        ("word/settings.xml", settings),
        ("word/header1.xml", header),
        ("word/footer1.xml", footer),
    ]


# OpenDocument ---------------------------------------------------------------------

ODF_NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
          'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
          'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
          'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
          'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
          'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
          'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3"')


class Odt:
    def __init__(self, questions):
        self.questions = questions
        self.tables = 0

    def items(self, items):
        out = []
        for item in items:
            if isinstance(item, str):
                out.append(escape(item))
            elif item[0] == "bm":
                out.append('<text:bookmark-start text:name=%s/>[%s]<text:bookmark-end text:name=%s/>'
                           % (quoteattr(item[1]), escape(self.questions[item[1]]), quoteattr(item[1])))
            elif item[0] == "ref":
                out.append('<text:bookmark-ref text:reference-format="text" text:ref-name=%s>[%s]</text:bookmark-ref>'
                           % (quoteattr(item[1]), escape(self.questions[item[1]])))
        return "".join(out)

    def paragraph(self, items, style="Standard"):
        return '<text:p text:style-name="%s">%s</text:p>' % (style, self.items(items))

    def table(self, rows, header):
        self.tables += 1
        columns = max(len(row) for row in rows)
        out = ['<table:table table:name="Tabelle%d" table:style-name="Tab">' % self.tables,
               '<table:table-column table:number-columns-repeated="%d"/>' % columns]
        for index, row in enumerate(rows):
            out.append("<table:table-row>")
            for column, cell in enumerate(row):
                items = [cell] if isinstance(cell, str) else cell
                bold = (header and index == 0) or (not header and column == 0)
                out.append('<table:table-cell table:style-name="Zelle" office:value-type="string">%s'
                           '</table:table-cell>' % self.paragraph(items, "Fett" if bold else "Standard"))
            out.append("</table:table-row>")
        out.append("</table:table>")
        return "".join(out)

    def body(self, blocks):
        styles = {"h": "Titel", "h2": "Zwischentitel", "b": "Fett", "small": "Klein", "p": "Standard"}
        out = []
        for block in blocks:
            if block[0] == "table":
                out.append(self.table(block[1], block[2]))
            elif block[0] == "gap":
                out.append('<text:p text:style-name="Standard"/>')
            else:
                out.append(self.paragraph(block[1], styles[block[0]]))
        return "".join(out)


def odt_files(language, blocks, questions):
    t = TEXTS[language]
    doc = Odt(questions)
    body = doc.body(blocks)
    content = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content %s>'
               '<office:automatic-styles>'
               '<style:style style:name="Tab" style:family="table"><style:table-properties style:width="16cm" '
               'table:align="left"/></style:style>'
               '<style:style style:name="Zelle" style:family="table-cell"><style:table-cell-properties '
               'fo:padding="0.1cm" fo:border="0.5pt solid #808080"/></style:style>'
               '</office:automatic-styles><office:body><office:text>%s</office:text></office:body>'
               '</office:document-content>' % (ODF_NS, body))
    language_attributes = 'fo:language="%s" fo:country="%s"' % (("de", "DE") if language == "de" else ("en", "GB"))

    def paragraph_style(name, text_properties, paragraph_properties=""):
        return ('<style:style style:name="%s" style:family="paragraph" style:parent-style-name="Standard">'
                '%s<style:text-properties %s/></style:style>'
                % (name, paragraph_properties, text_properties))

    styles = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-styles %s>'
              '<office:font-face-decls><style:font-face style:name="Liberation Sans" '
              'svg:font-family="&apos;Liberation Sans&apos;" style:font-family-generic="swiss"/>'
              '</office:font-face-decls>'
              '<office:styles>'
              '<style:default-style style:family="paragraph"><style:text-properties '
              'style:font-name="Liberation Sans" fo:font-size="11pt" %s/></style:default-style>'
              '<style:style style:name="Standard" style:family="paragraph"><style:paragraph-properties '
              'fo:margin-bottom="0.1cm"/></style:style>'
              % (ODF_NS, language_attributes)
              + paragraph_style("Titel", 'fo:font-size="16pt" fo:font-weight="bold"',
                                '<style:paragraph-properties fo:margin-top="0.4cm" fo:margin-bottom="0.2cm"/>')
              + paragraph_style("Zwischentitel", 'fo:font-size="12pt" fo:font-weight="bold"',
                                '<style:paragraph-properties fo:margin-top="0.35cm" fo:margin-bottom="0.1cm"/>')
              + paragraph_style("Fett", 'fo:font-weight="bold"')
              + paragraph_style("Klein", 'fo:font-size="8pt" fo:color="#595959"')
              + paragraph_style("Briefkopf", 'fo:font-size="18pt" fo:font-weight="bold" fo:color="#1f3864"')
              + paragraph_style("Kopflinie", 'fo:font-size="8pt" fo:color="#595959"',
                                '<style:paragraph-properties fo:border-bottom="0.5pt solid #808080" '
                                'fo:padding-bottom="0.1cm"/>')
              + '</office:styles>'
              '<office:automatic-styles><style:page-layout style:name="Seite"><style:page-layout-properties '
              'fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="1.25cm" fo:margin-bottom="1.25cm" '
              'fo:margin-left="2.5cm" fo:margin-right="2.2cm"/>'
              '<style:header-style><style:header-footer-properties fo:min-height="0cm" fo:margin-bottom="0.8cm"/>'
              '</style:header-style><style:footer-style><style:header-footer-properties fo:min-height="0cm" '
              'fo:margin-top="0.5cm"/></style:footer-style></style:page-layout></office:automatic-styles>'
              '<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="Seite">'
              '<style:header><text:p text:style-name="Briefkopf">%s</text:p>'
              '<text:p text:style-name="Kopflinie">%s</text:p></style:header>'
              '<style:footer><text:p text:style-name="Klein">%s<text:date>-</text:date> \u00b7 %s'
              '<text:page-number text:select-page="current">1</text:page-number></text:p></style:footer>'
              '</style:master-page></office:master-styles></office:document-styles>'
              % (escape(t["company"]), escape(t["address"]), escape(t["created"]), escape(t["page"])))
    mime = "application/vnd.oasis.opendocument.text-template"
    manifest = ('<?xml version="1.0" encoding="UTF-8"?>\n<manifest:manifest '
                'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
                '<manifest:file-entry manifest:full-path="/" manifest:version="1.3" manifest:media-type="%s"/>'
                '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                '<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>'
                '</manifest:manifest>' % mime)
    return [("mimetype", mime), ("content.xml", content), ("styles.xml", styles), ("META-INF/manifest.xml", manifest)]


def write_zip(path, files):
    with zipfile.ZipFile(path, "w") as archive:
        for name, text in files:
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, text.encode("utf-8"))


def write_binary_templates(folder):
    soffice = shutil.which("soffice")
    if not soffice:
        print("soffice not found: the .dot templates are left as they are")
        return 0
    written = 0
    # A private profile keeps the user's office out of it.
    with tempfile.TemporaryDirectory() as profile:
        for name in BINARY_EXAMPLES:
            source = os.path.join(folder, name + ".dotx")
            if not os.path.exists(source):
                continue
            subprocess.run([soffice, "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
                            "--convert-to", "dot:MS Word 97 Vorlage", "--outdir", folder, source],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
            written += 1
    return written


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "Examples")
    written = 0
    for entry in sorted(os.listdir(folder)):
        if not entry.upper().endswith(".TXL"):
            continue
        title, name, fields = read_template(os.path.join(folder, entry))
        if not name:
            continue
        questions = dict(fields)
        language, blocks = complete_layout(name, title, fields)
        write_zip(os.path.join(folder, name + ".dotx"), docx_files(language, blocks, questions))
        write_zip(os.path.join(folder, name + ".ott"), odt_files(language, blocks, questions))
        written += 2
    written += write_binary_templates(folder)
    print("%d templates written to %s" % (written, os.path.normpath(folder)))


if __name__ == "__main__":
    main()
