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
  // Under Wine the test is a Windows program: it starts the Linux Python by its
  // place on drive Z:, and Python finds a Windows name through the prefix's drives.
  python.start(QString::fromLatin1(QUELO_TARGET_WINDOWS ? "Z:/usr/bin/python3" : "/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import os, re, sys\nfrom PIL import Image\nname = sys.argv[1]\n"
                               "m = re.match(r'([A-Za-z]):[\\\\/](.*)', name)\n"
                               "if m and not os.path.exists(name):\n"
                               "    prefix = os.environ.get('WINEPREFIX', os.path.expanduser('~/.wine'))\n"
                               "    name = os.path.join(prefix, 'dosdevices', m[1].lower() + ':', "
                               "m[2].replace('\\\\', '/'))\n"
                               "im = Image.open(name); im.load()\n"
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
