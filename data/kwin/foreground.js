// Loaded by Varnacle Driver into KWin while the program runs: tells the
// program the process id of the active window, at once and on every change,
// so that profiles linked to programs follow the window in front. 0 means
// no window is active. The program unloads it when it ends.
//
// KWin 5 names the window a client, KWin 6 a window; both are served.
const service = "org.varnacle.driver";
const path = "/org/varnacle/driver/Foreground";
const iface = "org.varnacle.driver.Foreground";
const method = "ActiveWindow";

function report(window) {
    const pid = window && window.pid > 0 ? window.pid : 0;
    callDBus(service, path, iface, method, pid);
}

if (workspace.windowActivated !== undefined) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
