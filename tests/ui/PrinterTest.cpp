#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ui/Printer.h"

namespace {

// The text of a PDF as pdftotext reads it, page breaks as form feeds.
QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    if (!process.waitForFinished(60000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PrinterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath("print.pdf");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    QTemporaryDir dir;
    QString pdf;
    QPrinter printer{QPrinter::ScreenResolution};
};

TEST_F(PrinterTest, LinesReachThePdfInOrder) {
    {
        Printer out(printer);
        EXPECT_TRUE(out.PrintLine("No.s    Time                   T1      T2      T1-T2      Unit"));
        EXPECT_TRUE(out.PrintLine(QString(64, '-')));
        EXPECT_TRUE(out.PrintLine("1\t12:00:00\t23.5\tOL\t----\tC"));
        EXPECT_TRUE(out.EndDoc());
        EXPECT_EQ(out.Lines(), 3);
    }
    const QString text = PdfText(pdf);
    const qsizetype title = text.indexOf("No.s"), rule = text.indexOf(QString(64, '-')),
                    row = text.indexOf("12:00:00");
    EXPECT_GE(title, 0) << text.toStdString();
    EXPECT_GT(rule, title);
    EXPECT_GT(row, rule);
    // TABs become gaps, never glued text.
    EXPECT_TRUE(text.contains(QRegularExpression("12:00:00 +23\\.5 +OL +---- +C"))) << text.toStdString();
}

TEST_F(PrinterTest, LongListsBreakIntoPages) {
    Printer out(printer);
    for (int n = 1; n <= 200; ++n) ASSERT_TRUE(out.PrintLine(QStringLiteral("row %1 end").arg(n)));
    ASSERT_TRUE(out.EndDoc());
    EXPECT_GT(out.Pages(), 1);
    const QString text = PdfText(pdf);
    EXPECT_EQ(text.count(QChar('\f')), out.Pages()) << "one form feed per page";
    for (int n : {1, 57, 123, 200}) EXPECT_TRUE(text.contains(QStringLiteral("row %1 end").arg(n))) << n;
    // Nothing is lost at the page breaks.
    EXPECT_EQ(text.count(QRegularExpression("row \\d+ end")), 200);
}

TEST_F(PrinterTest, EmptyDocumentAndImages) {
    Printer out(printer);
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(out.PrintLine("before"));
    EXPECT_TRUE(out.PrintImage(image));
    EXPECT_EQ(out.Pages(), 2) << "a picture starts on a fresh page";
    EXPECT_TRUE(out.EndDoc());
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
}

TEST(Printer, UnwritableTargetFailsInsteadOfPretending) {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName("/nonexistent-folder/deeper/out.pdf");
    Printer out(printer);
    EXPECT_FALSE(out.PrintLine("x"));
    EXPECT_FALSE(out.PrintLine("y"));
    EXPECT_EQ(out.Lines(), 0);
    EXPECT_FALSE(out.EndDoc());
}

}  // namespace
