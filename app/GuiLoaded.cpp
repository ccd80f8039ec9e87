// The windows and the PDF booklet, loaded from the module beside the program
// (else from the installed library folder) when they are asked for: the
// greeting and the text formats never load Qt's GUI libraries, which cost
// more than all their own work.
#include "app/CommandLine.h"

#include <QByteArray>
#include <QList>

#include <algorithm>

#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Lazy: a function is bound when first called, not all at once. Local, and
// with its own libraries searched first: Qt's GUI libraries, which bind all
// their symbols at load, find one another without going first through every
// library of this program (QtCore, QtSql, QtDBus and theirs), the search a
// program linked to them would not make. Not when a library is preloaded (a
// clock or an allocator that must see every call) nor under the address
// sanitizer, which refuses it. Valgrind's own preloads do not count: it
// replaces functions by address, whatever the binding, and start-up is
// measured under it as it runs for everyone else.
bool preloaded()
{
    if (::access("/etc/ld.so.preload", F_OK) == 0)
        return true;
    const QList<QByteArray> files = qgetenv("LD_PRELOAD").replace(' ', ':').split(':');
    return std::any_of(files.begin(), files.end(), [](const QByteArray &f) {
        return !f.isEmpty() && !f.mid(f.lastIndexOf('/') + 1).startsWith("vgpreload_");
    });
}

int loadMode()
{
    return RTLD_LAZY | RTLD_LOCAL | (preloaded() || kAddressSanitizer ? 0 : RTLD_DEEPBIND);
}

}  // namespace

void *loadModule(const char *name)
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    QByteArray file = n > 0 ? QByteArray(path, n) : QByteArray(".");
    file = file.left(file.lastIndexOf('/') + 1) + name;
    // An installed program keeps its modules in the library folder.
    if (::access(file.constData(), F_OK) != 0)
        file = QByteArray(OMBO_MODULE_DIR "/") + name;
    void *h = ::dlopen(file.constData(), loadMode());
    if (!h)
        std::fprintf(stderr, "ombo : %s\n", ::dlerror());
    return h;
}

namespace {
template <typename F>
F entry(const char *name, const char *file = "ombo-fenetres.so")
{
    void *h = loadModule(file);
    return h ? reinterpret_cast<F>(::dlsym(h, name)) : nullptr;
}
}  // namespace

int runWindows(int &argc, char **argv)
{
    const auto run = entry<int (*)(int &, char **)>("omboRunWindows");
    return run ? run(argc, argv) : 1;
}

int runGreetingWindow(int &argc, char **argv)
{
    const auto run = entry<int (*)(int &, char **)>("omboRunGreetingWindow");
    return run ? run(argc, argv) : 1;
}

int runPdfExport(int &argc, char **argv, const QString &file)
{
    const auto run = entry<int (*)(int &, char **, const QString &)>("omboRunPdfExport");
    return run ? run(argc, argv, file) : 1;
}

AttachSync loadSyncWindow()
{
    return entry<AttachSync>("omboRunSyncWindow", "ombo-synchro.so");
}

int runSync(int &argc, char **argv, const QStringList &args)
{
    const auto run = entry<int (*)(int &, char **, const QStringList &)>("omboRunSync", "ombo-synchro.so");
    return run ? run(argc, argv, args) : 1;
}
