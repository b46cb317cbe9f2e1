// Writes the program's and the document type's icons into a freedesktop icon theme folder:
//   OUT/hicolor/scalable/apps/org.corvane.Tracery.svg
//   OUT/hicolor/scalable/mimetypes/application-x-tracery.svg
//   OUT/hicolor/NxN/{apps,mimetypes}/... .png for N = 16, 24, 32, 48, 64, 128, 256
// from the same drawings the window program shows, so the installed icons and the
// window's icon cannot drift apart. Runs at build time on the offscreen platform.

#include "shell/ShellIcons.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool WriteIcon(const QString& root, const char* context, const QString& name, const QByteArray& svg,
               const QIcon& icon) {
    if (!WriteFile(QStringLiteral("%1/hicolor/scalable/%2/%3.svg").arg(root, context, name), svg)) {
        return false;
    }
    for (const int size : kSizes) {
        const QString path =
            QStringLiteral("%1/hicolor/%2x%2/%3/%4.png").arg(root).arg(size).arg(context, name);
        QDir().mkpath(QFileInfo(path).path());
        QImage image = icon.pixmap(QSize(size, size)).toImage();
        if (image.size() != QSize(size, size)) {
            image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        if (!image.save(path, "PNG")) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tracery-icon-writer OUTPUT-FOLDER\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const bool written = WriteIcon(root, "apps", QStringLiteral("org.corvane.Tracery"),
                                   ShellIcons::ApplicationSvg(), ShellIcons::Application()) &&
                         WriteIcon(root, "mimetypes", QStringLiteral("application-x-tracery"),
                                   ShellIcons::DocumentSvg(), ShellIcons::Document());
    if (!written) {
        std::fprintf(stderr, "tracery-icon-writer: cannot write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
