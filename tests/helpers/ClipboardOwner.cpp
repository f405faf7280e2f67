// clipboard-owner: an X11 clipboard owner that names its formats and then
// stops, as `kill -STOP` would stop it, when its data is first asked for.
//
//   clipboard-owner MIME HEX    own the clipboard with the bytes HEX as
//                               MIME; prints "owner" once it holds it
//
// Started on an X display (QT_QPA_PLATFORM=xcb); it is continued (SIGCONT)
// or killed by the test that started it.

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <csignal>
#include <cstdio>

namespace {
class TStoppingData : public QMimeData {
public:
    TStoppingData(QString mime, QByteArray data) : FMime(std::move(mime)), FData(std::move(data)) {}
    QStringList formats() const override { return {FMime}; }
    bool hasFormat(const QString &mime) const override { return mime == FMime; }

protected:
    QVariant retrieveData(const QString &mime, QMetaType) const override
    {
        if (mime != FMime)
            return QVariant();
        ::raise(SIGSTOP);
        return FData;
    }

private:
    QString FMime;
    QByteArray FData;
};
} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: clipboard-owner MIME HEX\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    QGuiApplication::clipboard()->setMimeData(new TStoppingData(QString::fromLocal8Bit(argv[1]), QByteArray::fromHex(argv[2])));
    std::puts("owner");
    std::fflush(stdout);
    return application.exec();
}
