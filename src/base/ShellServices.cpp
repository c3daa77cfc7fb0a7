#include "base/ShellServices.h"

TShellServices& ShellServices() {
    static TShellServices services;
    return services;
}
