// ombrix-guide-pdf: lays out the user's guide, Markdown pages in the order
// given with their pictures, as one PDF document. A build tool, not part of
// the program's layered libraries, so it uses Qt directly.
//
//   ombrix-guide-pdf --out ombrix.pdf [--version TEXT] page.md...
//
// The first page holds the title and the contents (the first heading of each
// page); every page starts on a new sheet; pictures are scaled down to the
// text width; each sheet has its number at the foot.
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

#include <cstdio>
#include <vector>

namespace {

constexpr double kFootHeight = 28;  // room for the sheet number, in layout units

struct TOptions {
  QString out, version;
  QStringList pages;
};

bool ParseArguments(const QStringList& args, TOptions& options) {
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size())
      options.out = args[++i];
    else if (args[i] == "--version" && i + 1 < args.size())
      options.version = args[++i];
    else if (args[i].startsWith("--"))
      return false;
    else
      options.pages << args[i];
  }
  return !options.out.isEmpty() && !options.pages.isEmpty();
}

bool ReadText(const QString& path, QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "ombrix-guide-pdf: cannot read %s\n", qPrintable(path));
    return false;
  }
  text = QString::fromUtf8(file.readAll());
  return true;
}

// The text of the first "# " heading of a page.
QString PageTitle(const QString& markdown, const QString& path) {
  for (const QString& line : markdown.split('\n'))
    if (line.startsWith("# ")) return line.mid(2).trimmed();
  return QFileInfo(path).completeBaseName();
}

QString TitlePage(const TOptions& options, const QStringList& titles) {
  QString text = "# OMBRIX User's Guide\n\n";
  if (!options.version.isEmpty()) text += "Version " + options.version + "\n\n";
  text += "## Contents\n\n";
  for (int i = 0; i < titles.size(); ++i) text += QString("%1. %2\n").arg(i + 1).arg(titles[i]);
  return text + "\n";
}

// Every first-level heading after the title starts a new sheet.
void BreakBeforeChapters(QTextDocument& doc) {
  bool first = true;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() != 1) continue;
    if (first) {
      first = false;
      continue;
    }
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(format);
  }
}

// Pictures keep their own size unless wider than the text or taller than
// most of a sheet; then they shrink, keeping their proportions.
bool FitPictures(QTextDocument& doc, const QString& folder, const QSizeF& page) {
  struct TImage {
    int position, length;
    QTextImageFormat format;
  };
  std::vector<TImage> images;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid() && fragment.charFormat().isImageFormat())
        images.push_back({fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
    }
  bool ok = true;
  for (TImage& image : images) {
    const QString path = folder + "/" + image.format.name();
    const QSize size = QImageReader(path).size();
    if (!size.isValid()) {
      std::fprintf(stderr, "ombrix-guide-pdf: cannot read the picture %s\n", qPrintable(path));
      ok = false;
      continue;
    }
    const double scale = std::min({1.0, page.width() / size.width(), 0.6 * page.height() / size.height()});
    image.format.setWidth(size.width() * scale);
    image.format.setHeight(size.height() * scale);
    QTextCursor cursor(&doc);
    cursor.setPosition(image.position);
    cursor.setPosition(image.position + image.length, QTextCursor::KeepAnchor);
    cursor.setCharFormat(image.format);
  }
  return ok;
}

// A code block's lines are set wholly in the fixed-pitch font.
bool IsCode(const QTextBlock& block) {
  if (block.length() <= 1 || block.textList()) return false;
  for (auto it = block.begin(); !it.atEnd(); ++it)
    if (!QFontInfo(it.fragment().charFormat().font()).fixedPitch()) return false;
  return true;
}

// Code blocks on a light grey ground, as in the pages' usual rendering.
void ShadeCodeBlocks(QTextDocument& doc) {
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    if (!IsCode(block)) continue;
    QTextBlockFormat format = block.blockFormat();
    format.setBackground(QColor(0xf0, 0xf2, 0xf5));
    format.setLeftMargin(format.leftMargin() + 8);
    QTextCursor(block).setBlockFormat(format);
  }
}

bool WritePdf(QTextDocument& doc, const TOptions& options, const QString& folder) {
  QSaveFile file(options.out);  // the old guide stays until the new one is whole
  if (!file.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "ombrix-guide-pdf: cannot create %s\n", qPrintable(options.out));
    return false;
  }
  QPdfWriter writer(&file);
  writer.setTitle("OMBRIX User's Guide");
  writer.setCreator("ombrix-guide-pdf");
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 14),
                                   QPageLayout::Millimeter));
  // Layout units are pixels at 96 per inch, as the pictures' own sizes.
  const double scale = writer.resolution() / 96.0;
  const QRect paint = writer.pageLayout().paintRectPixels(writer.resolution());
  const QSizeF page(paint.width() / scale, paint.height() / scale - kFootHeight);
  if (!FitPictures(doc, folder, page)) return false;
  doc.setPageSize(page);

  QPainter painter;
  if (!painter.begin(&writer)) return false;
  const int sheets = doc.pageCount();
  for (int sheet = 0; sheet < sheets; ++sheet) {
    if (sheet > 0) writer.newPage();
    painter.save();
    painter.scale(scale, scale);
    painter.translate(0, -sheet * page.height());
    doc.drawContents(&painter, QRectF(0, sheet * page.height(), page.width(), page.height()));
    painter.restore();
    if (sheet > 0) {
      painter.save();
      painter.scale(scale, scale);
      QFont font = doc.defaultFont();
      font.setPixelSize(11);  // layout units, as the painter is scaled
      painter.setFont(font);
      painter.setPen(QColor(0x60, 0x68, 0x70));
      painter.drawText(QRectF(0, page.height(), page.width(), kFootHeight), Qt::AlignRight | Qt::AlignBottom,
                       QString("OMBRIX User's Guide   %1").arg(sheet + 1));
      painter.restore();
    }
  }
  painter.end();
  return file.commit();
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts and pictures need the GUI library, not a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  TOptions options;
  if (!ParseArguments(app.arguments(), options)) {
    std::fprintf(stderr, "Usage: ombrix-guide-pdf --out FILE.pdf [--version TEXT] PAGE.md...\n");
    return 2;
  }
  QStringList titles;
  QString body;
  for (const QString& page : options.pages) {
    QString text;
    if (!ReadText(page, text)) return 1;
    titles << PageTitle(text, page);
    body += text + "\n\n";
  }
  // Pictures are named relative to the folder of the pages.
  const QString folder = QFileInfo(options.pages.first()).absolutePath();

  QTextDocument doc;
  QFont font = doc.defaultFont();
  font.setPointSizeF(10);
  doc.setDefaultFont(font);
  doc.setBaseUrl(QUrl::fromLocalFile(folder + "/"));
  doc.setMarkdown(TitlePage(options, titles) + body, QTextDocument::MarkdownDialectGitHub);
  BreakBeforeChapters(doc);
  ShadeCodeBlocks(doc);
  if (!WritePdf(doc, options, folder)) {
    std::fprintf(stderr, "ombrix-guide-pdf: writing %s failed\n", qPrintable(options.out));
    return 1;
  }
  return 0;
}
