#include "launcher/GioStarter.h"

#include "launcher/LaunchFailure.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <QString>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace quill {
namespace {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T> using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

LaunchFailure failureFrom(GError* error) {
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    g_clear_error(&error);
    return LaunchFailure(message);
}

// Between fork and exec only async-signal-safe calls: the error number goes up the pipe.
[[noreturn]] void leaveChild(int reportFd) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

void openStandardStreamsOnNull() {
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull < 0 || ::dup2(devNull, STDIN_FILENO) < 0 || ::dup2(devNull, STDOUT_FILENO) < 0)
        return;
    if (devNull > STDOUT_FILENO)
        ::close(devNull);
}

// Runs in the child GIO starts an application in, right before exec.
void startSession(gpointer) {
    ::setsid();
}

// Starts the application with the URIs, detached like every other start.
void launch(GAppInfo* application, GList* uris) {
    GError* error = nullptr;
    gboolean started = false;
    if (G_IS_DESKTOP_APP_INFO(application)) {
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the application from an intermediate
        // child that it reaps at once, so the application is never a child of this program.
        started = g_desktop_app_info_launch_uris_as_manager_with_fds(
            G_DESKTOP_APP_INFO(application), uris, nullptr, G_SPAWN_SEARCH_PATH, startSession,
            nullptr, nullptr, nullptr, devNull, devNull, -1, &error);
        if (devNull >= 0)
            ::close(devNull);
    } else {
        started = g_app_info_launch_uris(application, uris, nullptr, &error);
    }
    if (!started)
        throw failureFrom(error);
}

} // namespace

void GioStarter::startProgram(const QByteArray& program) {
    // Everything the children use is made before forking: they may not allocate.
    char* const arguments[] = {const_cast<char*>(program.constData()), nullptr};
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        throw LaunchFailure::fromErrorNumber(errno);
    const pid_t intermediate = ::fork();
    if (intermediate < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        throw LaunchFailure::fromErrorNumber(error);
    }
    if (intermediate == 0) {
        // The intermediate child opens a new session and leaves at once; the program, its child,
        // is adopted by init, which reaps it, and has no controlling terminal.
        ::close(report[0]);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (::setsid() < 0)
            leaveChild(report[1]);
        const pid_t started = ::fork();
        if (started < 0)
            leaveChild(report[1]);
        if (started > 0)
            ::_exit(0);
        openStandardStreamsOnNull();
#ifdef CLOSE_RANGE_CLOEXEC
        // Descriptors this program opened without close-on-exec stay with it.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
        ::execv(arguments[0], arguments);
        leaveChild(report[1]);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; otherwise it brings the error number.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof error)
        throw LaunchFailure::fromErrorNumber(error);
}

void GioStarter::openFile(const QByteArray& path) {
    const GObjectPtr<GFile> file(g_file_new_for_path(path.constData()));
    GError* error = nullptr;
    const GObjectPtr<GAppInfo> application(
        g_file_query_default_handler(file.get(), nullptr, &error));
    if (!application)
        throw failureFrom(error);
    const std::unique_ptr<char, GFree> uri(g_file_get_uri(file.get()));
    GList uris{uri.get(), nullptr, nullptr};
    launch(application.get(), &uris);
}

void GioStarter::startApplication(const QByteArray& applicationId) {
    const GObjectPtr<GDesktopAppInfo> application(
        g_desktop_app_info_new(applicationId.constData()));
    if (!application)
        throw LaunchFailure::fromErrorNumber(ENOENT);
    launch(G_APP_INFO(application.get()), nullptr);
}

QByteArray GioStarter::defaultApplicationFor(const QByteArray& mimeType) {
    const GObjectPtr<GAppInfo> application(
        g_app_info_get_default_for_type(mimeType.constData(), false));
    if (!application)
        return {};
    return QByteArray(g_app_info_get_id(application.get()));
}

} // namespace quill
