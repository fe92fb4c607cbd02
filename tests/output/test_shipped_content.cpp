// The shipped data folder against the demo catalogue: every drawing and
// picture the print-out can ask for is there and loads, and every shipped
// layout uses only known commands, defined fonts, existing fields and
// positions on the page.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QStringList>

#include "output/LoadPic.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

QString DataDir() { return QString::fromStdString(test::BuiltDataDir()); }

struct Catalogue {
    QSqlDatabase db;
    Catalogue()
    {
        db = QSqlDatabase::addDatabase("QSQLITE", "shipped_content");
        db.setDatabaseName(DataDir() + "/fans.db");
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        db.open();
    }
    ~Catalogue()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("shipped_content");
    }
    QList<QStringList> Rows(const QString& sql, int columns)
    {
        QList<QStringList> rows;
        QSqlQuery q(db);
        if (!q.exec(sql)) return rows;
        while (q.next()) {
            QStringList r;
            for (int c = 0; c < columns; ++c) r << q.value(c).toString();
            rows << r;
        }
        return rows;
    }
};

void ExpectPicture(const QString& name)
{
    QImage img;
    const QString msg = LoadPic(DataDir() + "/CAD/" + name, img);
    EXPECT_TRUE(msg.isEmpty()) << name.toStdString() << ": " << msg.toStdString();
    EXPECT_GE(img.width(), 200) << name.toStdString();
}

// Field names of the settings file's definition section.
QSet<QString> FieldNames()
{
    QFile f(DataDir() + "/Dodov.ini");
    QSet<QString> names;
    if (!f.open(QIODevice::ReadOnly)) return names;
    bool in301 = false;
    for (QString line : QString::fromUtf8(f.readAll()).split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            in301 = line == "[301]";
            continue;
        }
        const int c = line.indexOf("/*");
        if (c >= 0) line = line.left(c).trimmed();
        if (in301 && !line.isEmpty()) names.insert(line.section(';', 0, 0).toUpper());
    }
    return names;
}

bool IsNumber(const QString& s)
{
    bool ok = false;
    s.trimmed().toDouble(&ok);
    return ok;
}

bool SpecialName(const QString& upper)
{
    static const QStringList fixed = {"SUPPLYTXT", "MOTSTEP1", "MOTSTEP2", "MOTSTEP3", "MOTPOLTXT", "VALUTA",
                                      "PRICEID", "VERSION", "DISCOUNT", "ACQTA", "PAGE", "DATE", "MYNAME",
                                      "MYADDRESS", "MYCITY", "MYTEL", "MYFAX", "MYMAIL", "I_NOTES"};
    if (fixed.contains(upper)) return true;
    for (const char* p : {"KDIM", "VDIM", "ADIM"})
        if (upper.startsWith(p) && IsNumber(upper.mid(4))) return true;
    return upper.startsWith("U:");
}

// Problems of one layout file, one line each ("" when there are none).
QStringList CheckLayout(const QString& path, const QSet<QString>& fields)
{
    QStringList problems;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {"cannot read " + path};
    const QStringList raw = QString::fromUtf8(f.readAll()).split("\r\n");
    bool header = true, inTemplate = false;
    QSet<int> fonts;
    int depth = 0, maxDepth = 0;
    bool sawStart = false;
    for (int n = 0; n < raw.size(); ++n) {
        QString line = raw[n];
        const int c = line.indexOf("/*");
        if (c >= 0) line = line.left(c);
        line = line.trimmed();
        if (line.isEmpty()) continue;
        const QString where = QStringLiteral("%1(%2): ").arg(QFileInfo(path).fileName()).arg(n + 1);
        const int sp = line.indexOf(' ');
        const QString kw = (sp < 0 ? line : line.left(sp)).toUpper();
        const QStringList a = sp < 0 ? QStringList() : line.mid(sp + 1).trimmed().split(';');
        if (header) {
            if (kw == "START") {
                header = false;
                sawStart = true;
            } else if (kw == "ACC_START") {
                inTemplate = true;
            } else if (kw == "ACC_END") {
                inTemplate = false;
            } else if (kw == "FONT") {
                if (a.size() < 7 || !IsNumber(a[0]) || !IsNumber(a[2])) problems << where + "FONT arguments";
                else fonts.insert(a[0].toInt());
                if (!a.isEmpty() && (a[0].toInt() < 1 || a[0].toInt() > 21)) problems << where + "font number";
            } else if (kw == "MARGIN") {
                if (a.size() != 4) problems << where + "MARGIN needs 4 values";
            } else if (!inTemplate) {
                problems << where + "not a header command: " + kw;
            }
            if (!inTemplate || kw == "ACC_START") continue;
        }
        static const QStringList bare = {"HEADER_START", "HEADER_END", "ENDIF", "PAGE"};
        if (sp < 0) {
            if (!bare.contains(kw) && kw != "ACC_END") problems << where + "unknown bare word " + kw;
            if (kw == "ENDIF" && --depth < 0) problems << where + "ENDIF without IF";
            continue;
        }
        auto needNumbers = [&](int count, int args) {
            if (a.size() < args) problems << where + kw + " has too few arguments";
            for (int i = 0; i < count && i < a.size(); ++i)
                if (!IsNumber(a[i])) problems << where + kw + " argument " + QString::number(i + 1) + " is no number";
        };
        auto onPage = [&](double x, double y) {
            // accessory template lines are shifted down by ACCSTART
            if (x < 0 || x > 183.01 || y < 0 || (!inTemplate && y > 273)) problems << where + "position off the page";
        };
        auto fontUsed = [&]() {
            if (a.size() > 2 && !fonts.contains(a[2].toInt())) problems << where + "font " + a[2] + " not defined";
            if (a.size() > 3 && !QStringList{"L", "C", "R"}.contains(a[3])) problems << where + "alignment " + a[3];
        };
        if (kw == "TEXT" || kw == "UNIT") {
            needNumbers(2, 5);
            fontUsed();
            if (a.size() >= 2) onPage(a[0].toDouble(), a[1].toDouble());
        } else if (kw == "FIELD") {
            needNumbers(2, 5);
            fontUsed();
            if (a.size() >= 2) onPage(a[0].toDouble(), a[1].toDouble());
            const QString name = a.value(4).trimmed().toUpper();
            if (!SpecialName(name) && !fields.contains(name)) problems << where + "no such field " + a.value(4);
            if ((name == "ACQTA" || name.startsWith("ADIM")) && !inTemplate) problems << where + name + " outside the template";
        } else if (kw == "FIELDR") {
            needNumbers(2, 5);
            fontUsed();
            if (!inTemplate) problems << where + "FIELDR outside the accessory template";
        } else if (kw == "LINE") {
            needNumbers(5, 5);
            if (a.size() >= 4) {
                onPage(a[0].toDouble(), a[1].toDouble());
                onPage(a[2].toDouble(), a[3].toDouble());
            }
        } else if (kw == "IMAGE" || kw == "RTFFILE") {
            needNumbers(4, 5);
            if (a.size() >= 4) {
                onPage(a[0].toDouble(), a[1].toDouble());
                if (a[2].toDouble() > 0) onPage(a[0].toDouble() + a[2].toDouble(), a[1].toDouble() + a[3].toDouble());
            }
        } else if (kw == "IF") {
            if (a.size() != 3) problems << where + "IF needs name;op;value";
            static const QStringList ops = {"=", "<>", "<", ">", "<=", "=<", ">=", "=>"};
            if (!ops.contains(a.value(1))) problems << where + "operator " + a.value(1);
            const QString name = a.value(0).toUpper();
            if (name != "PAGE" && name != "CAD" && name != "DISCOUNT" && !fields.contains(name))
                problems << where + "IF on no field " + a.value(0);
            maxDepth = std::max(maxDepth, ++depth);
        } else if (kw == "ACCSTART") {
            needNumbers(3, 3);
        } else if (kw != "NULLPOS") {
            problems << where + "unknown command " + kw;
        }
    }
    if (!sawStart) problems << path + ": no START";
    if (depth != 0) problems << path + ": IF and ENDIF do not pair";
    if (maxDepth > 20) problems << path + ": conditions nested too deep";
    return problems;
}

}  // namespace

TEST(ShippedContent, EveryDrawingTheCatalogueCanAskForIsThere)
{
    Catalogue cat;
    ASSERT_TRUE(cat.db.isOpen());
    // type, casing pairs of the sizes, times the air directions with dimension labels
    const auto pairs = cat.Rows("SELECT DISTINCT s.TpCode, d.CaType FROM tblFanData d "
                                "INNER JOIN tblFanSizes s ON s.FsID = d.FsID", 2);
    const auto dims = cat.Rows("SELECT TdCode, TpCode FROM tblFanDims", 2);
    ASSERT_FALSE(pairs.isEmpty());
    int drawings = 0;
    for (const QStringList& p : pairs) {
        for (const QStringList& d : dims) {
            if (d[1].compare(p[0], Qt::CaseInsensitive) != 0) continue;
            QString name = p[0] + "_" + d[0];
            if (!p[1].isEmpty() && p[1] != "-" && p[1] != "--") name += "_" + p[1];
            ExpectPicture(name + ".png");
            ++drawings;
        }
    }
    EXPECT_EQ(drawings, 16);
    for (const QStringList& a : cat.Rows("SELECT ActCode FROM tblAccTypes", 1)) ExpectPicture(a[0] + ".png");
    ExpectPicture("LOGO.jpg");
    ExpectPicture("RI_A.jpg");
    ExpectPicture("RI_B.jpg");
}

TEST(ShippedContent, LayoutsUseKnownCommandsFieldsAndFonts)
{
    const QSet<QString> fields = FieldNames();
    ASSERT_TRUE(fields.contains("O_FANNAME"));
    int files = 0;
    for (const char* base : {"TDAXIAL_", "TDAXIAL2_", "TXAXIAL_"}) {
        for (const char* lang : {"EN", "DE", "IT"}) {
            const QString path = DataDir() + "/" + base + lang + ".txt";
            ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
            const QStringList problems = CheckLayout(path, fields);
            EXPECT_TRUE(problems.isEmpty()) << problems.join("\n").toStdString();
            ++files;
        }
    }
    EXPECT_EQ(files, 9);
}

TEST(ShippedContent, TheLayoutCheckFindsMistakes)
{
    test::TempDir dir;
    const std::string bad =
        "FONT 1;Arial;9;0;0;0;0;0;0\r\nSTART\r\nFIELD 10;10;1;L;O_FanNmae\r\nTEXT 10;x;1;L;a\r\n"
        "TEXT 10;10;4;L;b\r\nIF O_Eta1;=>;50\r\nLINE 0;300;10;300;5\r\nFIELDR 0;0;1;L;AdName\r\nBOX 1;2\r\n";
    const QStringList problems = CheckLayout(QString::fromStdString(dir.write("bad.txt", bad)), FieldNames());
    const QString all = problems.join("\n");
    EXPECT_TRUE(all.contains("no such field O_FanNmae"));
    EXPECT_TRUE(all.contains("argument 2 is no number"));
    EXPECT_TRUE(all.contains("font 4 not defined"));
    EXPECT_TRUE(all.contains("IF and ENDIF do not pair"));
    EXPECT_TRUE(all.contains("position off the page"));
    EXPECT_TRUE(all.contains("FIELDR outside"));
    EXPECT_TRUE(all.contains("unknown command BOX"));
}
