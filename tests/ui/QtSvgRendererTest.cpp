// SVG icons drawn by Qt's SVG module through the core's loader: Tango's
// scalable icons against the PNGs Tango ships (hand-tuned, so a small
// difference is allowed and printed), sizes, gzip files, and the documents
// refused with a message.
#include <QtTest>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image/SvgDocument.h"
#include "image/clsImage.h"
#include "platform/qt/QtSvgRenderer.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

using namespace quelo;

namespace {

const QString kTango = QStringLiteral("/usr/share/icons/Tango");

bool LoadSvg(clsImage& image, const std::string& file, int32_t side) {
  image.SetFolderInputs(true);
  image.SetIconSize(side);
  return image.LoadFile(file) && image.HasPixels();
}

// Mean absolute difference per channel of RGBA pictures, colours premultiplied.
class Difference {
 public:
  void Add(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
      for (size_t c = 0; c < 3; ++c) sum_[c] += std::abs(a[i + c] * a[i + 3] / 255.0 - b[i + c] * b[i + 3] / 255.0);
      sum_[3] += std::abs(a[i + 3] - b[i + 3]);
      ++pixels_;
    }
  }
  double Mean(size_t c) const { return pixels_ == 0 ? 0 : sum_[c] / pixels_; }
  std::string Text() const {
    char text[96];
    std::snprintf(text, sizeof text, "R %.2f G %.2f B %.2f A %.2f", Mean(0), Mean(1), Mean(2), Mean(3));
    return text;
  }

 private:
  std::array<double, 4> sum_{};
  double pixels_ = 0;
};

void Write(const std::string& file, const std::string& text) {
  test::WriteAll(file, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

class QtSvgRendererTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { platform::qt::InstallSvgRenderer(); }

  // Every Tango icon with a PNG of the size: mean absolute difference per
  // channel (colours premultiplied, so hidden colours of transparent pixels do
  // not count), printed. Tango's PNGs are drawn by hand for their size, so
  // they differ from any rendering of the scalable icons; every twelfth icon
  // is therefore also drawn by librsvg (rsvg-convert): this renderer must stay
  // close to librsvg, and no further from Tango's PNGs than librsvg is.
  void tangoIconsLookLikeTangosPngs_data() {
    QTest::addColumn<int>("side");
    for (int side : {16, 24, 32, 48}) QTest::newRow(qPrintable(QString::number(side))) << side;
  }
  void tangoIconsLookLikeTangosPngs() {
    QFETCH(int, side);
    const QString pngDir = kTango + QStringLiteral("/%1x%1").arg(side);
    if (!QDir(kTango + QStringLiteral("/scalable")).exists()) QSKIP("Tango's icons are not installed (tango-icon-theme)");
    // Tango ships no 48 px PNGs: that size is compared with librsvg only.
    const bool pngs = QDir(pngDir).exists();
    const bool rsvg = QFileInfo::exists(QStringLiteral("/usr/bin/rsvg-convert"));
    test::RecordingDialogs dialogs;
    Difference oursPng, oursPngSample, rsvgPngSample, oursRsvg;
    int icons = 0;
    QDirIterator it(kTango + QStringLiteral("/scalable"), {QStringLiteral("*.svg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    QStringList svgs;
    while (it.hasNext()) svgs << it.next();
    svgs.sort();
    for (const QString& path : svgs) {
      const QFileInfo svg(path);
      const QString png = pngDir + QLatin1Char('/') + svg.dir().dirName() + QLatin1Char('/') +
                          svg.completeBaseName() + QStringLiteral(".png");
      if (pngs && !QFileInfo::exists(png)) continue;
      clsImage drawn, shipped;
      QVERIFY2(LoadSvg(drawn, path.toStdString(), side), qPrintable(path));
      QCOMPARE(drawn.Width(), side);
      QCOMPARE(drawn.Height(), side);
      if (pngs) {
        QVERIFY(shipped.LoadFile(png.toStdString()) && shipped.HasPixels());
        if (shipped.Width() != side || shipped.Height() != side) continue;
        oursPng.Add(drawn.Pixels(), shipped.Pixels());
      }
      if (rsvg && icons % 12 == 0) {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/rsvg-convert"),
                      {QStringLiteral("-w"), QString::number(side), QStringLiteral("-h"), QString::number(side), path});
        QVERIFY(process.waitForFinished(30000));
        const QImage other = QImage::fromData(process.readAllStandardOutput()).convertToFormat(QImage::Format_RGBA8888);
        QCOMPARE(other.size(), QSize(side, side));
        std::vector<uint8_t> librsvg(static_cast<size_t>(side) * side * 4);
        for (int y = 0; y < side; ++y)
          std::memcpy(librsvg.data() + static_cast<size_t>(y) * side * 4, other.constScanLine(y), size_t(side) * 4);
        if (pngs) {
          oursPngSample.Add(drawn.Pixels(), shipped.Pixels());
          rsvgPngSample.Add(librsvg, shipped.Pixels());
        }
        oursRsvg.Add(drawn.Pixels(), librsvg);
      }
      ++icons;
    }
    QVERIFY(icons > 100);
    if (pngs) qInfo("Tango %d px, %d icons, this renderer vs Tango's PNGs: %s", side, icons, oursPng.Text().c_str());
    if (rsvg) {
      if (pngs)
        qInfo("  every 12th icon: this renderer vs PNGs %s; librsvg vs PNGs %s", oursPngSample.Text().c_str(),
              rsvgPngSample.Text().c_str());
      qInfo("  Tango %d px, every 12th icon: this renderer vs librsvg %s", side, oursRsvg.Text().c_str());
      for (size_t c = 0; c < 4; ++c) {
        QVERIFY(oursRsvg.Mean(c) < 6.0);
        QVERIFY(oursPngSample.Mean(c) < rsvgPngSample.Mean(c) + 3.0);
      }
    }
    // Loose bounds of their own, for machines without librsvg.
    if (pngs)
      for (size_t c = 0; c < 4; ++c) QVERIFY(oursPng.Mean(c) < (side == 16 ? 60.0 : side == 24 ? 40.0 : 25.0));
    QVERIFY(dialogs.messages.empty());
  }

  // The document's own size, capped at 256 a side; a size asked for, keeping
  // the proportions; a gzip file draws as its document does.
  void sizes() {
    test::RecordingDialogs dialogs;
    test::TempDir dir;
    Write(dir.File("wide.svg"),
          "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'><rect width='40' height='20' fill='#00f'/></svg>");
    Write(dir.File("big.svg"),
          "<svg xmlns='http://www.w3.org/2000/svg' width='1000' height='1000' viewBox='0 0 10 10'>"
          "<circle cx='5' cy='5' r='4' fill='red'/></svg>");
    clsImage own, fitted, big, bigAt48;
    QVERIFY(LoadSvg(own, dir.File("wide.svg"), 0));
    QCOMPARE(std::make_pair(own.Width(), own.Height()), std::make_pair(40, 20));
    QCOMPARE(own.Pixels()[2], uint8_t{255});  // blue, opaque
    QCOMPARE(own.Pixels()[3], uint8_t{255});
    QVERIFY(LoadSvg(fitted, dir.File("wide.svg"), 24));
    QCOMPARE(std::make_pair(fitted.Width(), fitted.Height()), std::make_pair(24, 12));
    QVERIFY(LoadSvg(big, dir.File("big.svg"), 0));
    QCOMPARE(std::make_pair(big.Width(), big.Height()), std::make_pair(256, 256));
    QCOMPARE(big.Pixels()[3], uint8_t{0});  // a transparent corner
    const size_t centre = (128 * 256 + 128) * 4;
    QCOMPARE(big.Pixels()[centre], uint8_t{255});
    QVERIFY(LoadSvg(bigAt48, dir.File("big.svg"), 48));
    QCOMPARE(bigAt48.Width(), 48);

    const QString home = kTango + QStringLiteral("/scalable/actions/go-home.svg");
    if (QFileInfo::exists(home)) {
      const std::string gz = dir.File("go-home.svgz");
      QVERIFY(std::system(("/usr/bin/gzip -9 -c " + home.toStdString() + " > " + gz).c_str()) == 0);
      clsImage plain, packed;
      QVERIFY(LoadSvg(plain, home.toStdString(), 32));
      QVERIFY(LoadSvg(packed, gz, 32));
      QCOMPARE(packed.Pixels(), plain.Pixels());
    }
    QVERIFY(dialogs.messages.empty());
  }

  // Refused with a message naming the file, nothing shown.
  void refusals() {
    test::TempDir dir;
    struct Row {
      const char* name;
      std::string text;
      const char* message;
    };
    const std::vector<Row> rows = {
        {"huge.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='100000' height='10'/>", "大きすぎる"},
        {"broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect></svg>", "壊れている"},
        {"entities.svg",
         "<!DOCTYPE svg [<!ENTITY a 'x'>]><svg xmlns='http://www.w3.org/2000/svg'>&a;</svg>", "エンティティ"},
        {"notsvg.svg", "<html/>", "SVG 文書ではない"},
        {"bad.svgz", "\x1f\x8b\x08\x00garbage-garbage-garbage", "壊れているか大きすぎる"},
    };
    for (const Row& row : rows) {
      test::RecordingDialogs dialogs;
      Write(dir.File(row.name), row.text);
      clsImage image;
      image.SetFolderInputs(true);
      image.LoadFile(dir.File(row.name));
      QVERIFY2(!image.HasPixels(), row.name);
      QCOMPARE(dialogs.messages.size(), size_t{1});
      QVERIFY2(dialogs.messages[0].text.find(row.message) != std::string::npos, dialogs.messages[0].text.c_str());
      QVERIFY(dialogs.messages[0].text.find(row.name) != std::string::npos);
    }
  }
};

QTEST_MAIN(QtSvgRendererTest)
#include "QtSvgRendererTest.moc"
