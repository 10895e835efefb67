// A written file as Pillow reads it: a decoder that is not the program's own.
#pragma once

#include <QDebug>
#include <QImage>
#include <QProcess>
#include <QStringList>

namespace quelo::test {

struct Decoded {
  QString what;  // format and mode, "BMP RGB"; empty when Pillow could not read the file
  QImage image;  // ARGB32
};

inline Decoded Pillow(const QString& file) {
  QProcess python;
  python.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]); im.load()\n"
                               "print(im.format, im.mode, *im.size, flush=True)\n"
                               "sys.stdout.buffer.write(im.convert('RGBA').tobytes())\n"),
                file});
  if (!python.waitForFinished(30000) || python.exitCode() != 0) {
    qWarning() << python.readAllStandardError();
    return {};
  }
  const QByteArray out = python.readAllStandardOutput();
  const qsizetype eol = out.indexOf('\n');
  const QStringList head = QString::fromLatin1(out.left(eol)).split(' ');
  const int w = head.value(2).toInt(), h = head.value(3).toInt();
  if (out.size() - eol - 1 != qsizetype(w) * h * 4) return {};
  return {head[0] + ' ' + head[1], QImage(reinterpret_cast<const uchar*>(out.constData() + eol + 1), w, h, w * 4,
                                          QImage::Format_RGBA8888)
                                       .convertToFormat(QImage::Format_ARGB32)};
}

}  // namespace quelo::test
