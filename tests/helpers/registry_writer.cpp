// Second process for the registry tests: writes <count> values named <prefix><n> under
// HKEY_CURRENT_USER\Software\Velmora\Stress while other processes do the same.
// Even n: the string "<prefix><n>"; odd n: the integer n. Exit code 0 when every write and its
// read-back succeeded.
#include "platform/registry.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_writer <prefix> <count>\n");
        return 2;
    }
    const QString prefix = QString::fromUtf8(argv[1]);
    const int count = QString::fromUtf8(argv[2]).toInt();
    for (int n = 0; n < count; ++n) {
        // A fresh object each time, as the player makes one per task.
        platform::TRegistry reg;
        const QString name = prefix + QString::number(n);
        bool ok = reg.OpenKey("Software\\Velmora\\Stress", true);
        if (n % 2 == 0) {
            ok = ok && reg.WriteString(name, name) && reg.ReadString(name) == name;
        } else {
            ok = ok && reg.WriteInteger(name, n) && reg.ReadInteger(name, -1) == n;
        }
        if (!ok) {
            std::fprintf(stderr, "registry_writer: %s failed\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
