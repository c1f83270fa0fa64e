// A peer for the single-instance tests: "listen ID" claims the instance and prints every
// message it receives; "send ID MESSAGE" hands a message to the listener and prints the result.
#include "app/qtsingleapplication.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s listen ID | send ID MESSAGE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    const QString id = QString::fromLocal8Bit(argv[2]);
    const bool listen = strcmp(argv[1], "listen") == 0;
    const QString message = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    int qtArgc = 1;
    QtSingleApplication app(id, qtArgc, argv, true);
    if (!listen) {
        const bool sent = app.sendMessage(message, 5000);
        printf("sent:%d\n", sent ? 1 : 0);
        return 0;
    }
    app.claimInstance(false);
    QObject::connect(&app, &QtSingleApplication::messageReceived, [](const QString &text) {
        printf("received:<%s>\n", text.toUtf8().constData());
        fflush(stdout);
    });
    printf("ready\n");
    fflush(stdout);
    return app.exec();
}
