// A written file as Pillow reads it: a decoder that is not the program's own.
#pragma once

#include <QDebug>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>

namespace quelo::test {

struct Decoded {
  QString what;  // format and mode, "BMP RGB"; empty when Pillow could not read the file
  QImage image;  // ARGB32
};

inline Decoded Pillow(const QString& file) {
  // The bytes go through a pipe: under Wine the test is a Windows program and
  // its file names mean nothing to the Linux Python, started from drive Z:.
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = in.readAll();
  QProcess python;
  python.start(QString::fromLatin1(QUELO_TARGET_WINDOWS ? "Z:/usr/bin/python3" : "/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import io, sys\nfrom PIL import Image\n"
                               "im = Image.open(io.BytesIO(sys.stdin.buffer.read())); im.load()\n"
                               "print(im.format, im.mode, *im.size, flush=True)\n"
                               "sys.stdout.buffer.write(im.convert('RGBA').tobytes())\n")});
  python.write(bytes);
  python.closeWriteChannel();
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
