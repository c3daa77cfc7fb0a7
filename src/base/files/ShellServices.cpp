#include "base/files/ShellServices.h"

TShellServices& ShellServices() {
    static TShellServices services;
    return services;
}
