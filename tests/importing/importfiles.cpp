// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/importing/importfiles.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtGlobal>

QString debianPython()
{
    // /usr/bin first: another Python earlier in PATH lacks the Debian modules.
    const QString path =
        QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    return path.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("python3")) : path;
}

bool runPython(const QString& script, const QStringList& arguments)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(debianPython(), QStringList{QStringLiteral("-c"), script} + arguments);
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        qWarning("python failed: %s", python.readAll().constData());
        return false;
    }
    return true;
}

namespace
{

// A workbook written part by part with Python's zipfile, every kind of cell in its sheet: a
// merged title, an empty row and an empty column, shared strings (one rich with a phonetic run),
// inline strings, a cached formula text, a number with a trailing zero, a boolean, an error, an
// exponent, dates by a built-in and a custom format, cells without references and an ISO date.
const char* const kHandWrittenWorkbook = R"(
import sys, zipfile
parts = {
"[Content_Types].xml": '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
"xl/workbook.xml": '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="数据" sheetId="1" r:id="rId7"/><sheet name="图" sheetId="2" r:id="rId8"/></sheets></workbook>',
"xl/_rels/workbook.xml.rels": '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/s1.xml"/><Relationship Id="rId8" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet" Target="chartsheets/c1.xml"/><Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="/xl/strings.xml"/><Relationship Id="rId10" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>',
"xl/strings.xml": '<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>产品ID</t></si><si><r><t>产品</t></r><r><rPr><b/></rPr><t xml:space="preserve">名称 </t></r><rPh sb="0" eb="2"><t>チャン</t></rPh></si><si><t>0012</t></si></sst>',
"xl/styles.xml": '<?xml version="1.0"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><numFmts count="1"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/></numFmts><cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="2"/></cellXfs></styleSheet>',
"xl/worksheets/s1.xml": '<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
  '<row r="1"><c r="A1" t="inlineStr"><is><t>库存清单</t></is></c><c r="B1"/><c r="C1"/></row>'
  '<row r="2"><c r="A2"/></row>'
  '<row r="3"><c r="A3" t="s"><v>0</v></c><c r="B3" t="s"><v>1</v></c><c r="D3" t="inlineStr"><is><t>数量</t></is></c></row>'
  '<row r="4"><c r="A4" t="s"><v>2</v></c><c r="B4" t="str"><f>A1&amp;"x"</f><v>螺丝</v></c><c r="D4"><v>7.50</v></c><c r="E4" t="b"><v>1</v></c><c r="F4" s="3"><v>12</v></c></row>'
  '<row r="5"><c r="A5" t="inlineStr"><is><r><t>M</t></r><r><t>4</t></r></is></c><c r="B5" t="e"><f>1/0</f><v>#DIV/0!</v></c><c r="D5"><v>1.2E-3</v></c><c r="E5" s="1"><v>43164</v></c><c r="F5" s="2"><v>43164.5</v></c></row>'
  '<row><c t="inlineStr"><is><t>x</t></is></c><c><v>-0</v></c><c r="F6" t="d"><v>2018-03-05T00:00:00</v></c></row>'
  '<row r="9"><c r="A9"><v>123456789012345678</v></c><c r="B9" t="s"><v>99</v></c></row>'
  '</sheetData><mergeCells count="1"><mergeCell ref="A1:F1"/></mergeCells></worksheet>',
}
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)
)";

// Hostile files, each written by Python into the path given.
const char* const kHostileScript = R"(
import sys, zipfile, os
kind, path = sys.argv[1], sys.argv[2]
book = '<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>'
rels = '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>'
head = '<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
def workbook(sheet_writer):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("xl/workbook.xml", book)
        z.writestr("xl/_rels/workbook.xml.rels", rels)
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as part:
            sheet_writer(part)
if kind == "text":
    open(path, "w").write("产品ID,产品名称\n")
elif kind == "nosheet":
    with zipfile.ZipFile(path, "w") as z:
        z.writestr("readme.txt", "no workbook here")
elif kind == "bomb":
    def bomb(part):
        part.write(head.encode())
        chunk = b" " * (1 << 20)
        for _ in range(210):
            part.write(chunk)
    workbook(bomb)
elif kind == "entities":
    def laughs(part):
        part.write(b'<?xml version="1.0"?><!DOCTYPE worksheet [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c t="inlineStr"><is><t>&c;</t></is></c></row></sheetData></worksheet>')
    workbook(laughs)
elif kind == "million":
    def rows(part):
        part.write(head.encode())
        for r in range(1, 1000001):
            part.write(b'<row r="%d"><c r="A%d"><v>%d</v></c></row>' % (r, r, r))
        part.write(b"</sheetData></worksheet>")
    workbook(rows)
elif kind == "millioncsv":
    with open(path, "w") as f:
        f.write("产品ID,产品名称,入库数量\n")
        for r in range(1000000):
            f.write("%d,螺丝,1\n" % r)
elif kind == "widesheet":
    def wide(part):
        part.write(head.encode())
        # Every column used once, then rows of one cell: read sparse, refused before they are
        # made 16,384 cells wide.
        def name(c):
            letters = ""
            c += 1
            while c:
                c, rest = divmod(c - 1, 26)
                letters = chr(65 + rest) + letters
            return letters
        part.write(b'<row r="1">')
        for c in range(16384):
            part.write(b'<c r="%s1"><v>1</v></c>' % name(c).encode())
        part.write(b'</row>')
        for r in range(2, 400):
            part.write(b'<row r="%d"><c r="A%d"><v>%d</v></c></row>' % (r, r, r))
        part.write(b"</sheetData></worksheet>")
    workbook(wide)
elif kind == "commas":
    with open(path, "w") as f:
        for r in range(600):
            f.write("x," * 10000 + "\n")
elif kind == "quote":
    open(path, "w").write('产品ID,产品名称,入库数量\nA1,"螺丝,5\nA2,垫片,3\n')
elif kind == "binary":
    open(path, "wb").write(bytes(range(256)) * 64 + os.urandom(4096))
elif kind == "brokenxml":
    workbook(lambda part: part.write(head.encode() + b'<row r="1"><c><v>1</v></row>'))
)";

} // namespace

bool writeHandWrittenWorkbook(const QString& path)
{
    return runPython(QString::fromUtf8(kHandWrittenWorkbook), {path});
}

bool writeHostileFile(const QString& kind, const QString& path)
{
    return runPython(QString::fromUtf8(kHostileScript), {kind, path});
}

bool writeOpenpyxlWorkbook(const QString& path, const QStringList& rows)
{
    const QString script = QStringLiteral(R"(
import sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "库存"
for line in sys.argv[2:]:
    row = []
    for cell in line.split("|"):
        if cell.startswith("#") and len(cell) > 1:
            number = float(cell[1:])
            row.append(int(number) if number.is_integer() and "." not in cell else number)
        else:
            row.append(cell if cell != "" else None)
    sheet.append(row)
book.create_sheet("第二页")["A1"] = "另一张"
book.save(sys.argv[1])
)");
    return runPython(script, QStringList{path} + rows);
}

bool writeWithIconv(const QString& path, const QString& text, const QString& encoding)
{
    QProcess iconv;
    iconv.setStandardOutputFile(path);
    iconv.start(QStringLiteral("iconv"),
                {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"), encoding});
    if (!iconv.waitForStarted())
        return false;
    iconv.write(text.toUtf8());
    iconv.closeWriteChannel();
    return iconv.waitForFinished() && iconv.exitCode() == 0;
}
