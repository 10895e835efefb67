// A written file as Pillow reads it: a decoder that is not the program's own.
#pragma once

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QThread>

namespace quelo::test {

struct Decoded {
  QString what;  // format and mode, "BMP RGB"; empty when Pillow could not read the file
  QImage image;  // ARGB32
};

inline Decoded Pillow(const QString& file) {
  // Under Wine the test is a Windows program: its file names mean nothing to
  // the Linux Python, and Wine gives no handle to wait for a Linux program on.
  // So the bytes go through files in the build folder, which both name (on
  // drive Z: for Windows), and the answer is awaited by its name.
  static int serial = 0;
  const QString unixBase =
      QStringLiteral(QUELO_BINARY_DIR "/pillow-%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial);
  const QString base = QString::fromLatin1(QUELO_TARGET_WINDOWS ? "Z:" : "") + unixBase;
  {
    QFile in(file), copy(base + ".in");
    if (!in.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) || copy.write(in.readAll()) < 0) return {};
  }
  QProcess python;
  python.start(QString::fromLatin1(QUELO_TARGET_WINDOWS ? "Z:/usr/bin/python3" : "/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import os, sys\nfrom PIL import Image\nout = b''\n"
                               "try:\n"
                               "    im = Image.open(sys.argv[1]); im.load()\n"
                               "    out = ('%s %s %d %d\\n' % (im.format, im.mode, *im.size)).encode()\n"
                               "    out += im.convert('RGBA').tobytes()\n"
                               "finally:\n"
                               "    open(sys.argv[2] + '.part', 'wb').write(out)\n"
                               "    os.replace(sys.argv[2] + '.part', sys.argv[2])\n"),
                unixBase + ".in", unixBase + ".out"});
  python.waitForFinished(30000);
  QElapsedTimer waited;
  waited.start();
  while (!QFile::exists(base + ".out") && waited.elapsed() < 30000) QThread::msleep(20);
  QFile answer(base + ".out");
  const QByteArray out = answer.open(QIODevice::ReadOnly) ? answer.readAll() : QByteArray();
  answer.close();
  QFile::remove(base + ".in");
  QFile::remove(base + ".out");
  if (out.isEmpty()) {
    qWarning() << python.readAllStandardError();
    return {};
  }
  const qsizetype eol = out.indexOf('\n');
  const QStringList head = QString::fromLatin1(out.left(eol)).split(' ');
  const int w = head.value(2).toInt(), h = head.value(3).toInt();
  if (out.size() - eol - 1 != qsizetype(w) * h * 4) return {};
  return {head[0] + ' ' + head[1], QImage(reinterpret_cast<const uchar*>(out.constData() + eol + 1), w, h, w * 4,
                                          QImage::Format_RGBA8888)
                                       .convertToFormat(QImage::Format_ARGB32)};
}

}  // namespace quelo::test
