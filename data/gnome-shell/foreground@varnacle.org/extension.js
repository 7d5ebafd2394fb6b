// Answers Varnacle Driver, over the session bus, which process has the
// focused window: FocusedWindowPid() gives its process id, or 0 when no
// window has the focus or its process is not known. Nothing else is told.
'use strict';

const { Gio } = imports.gi;

const BUS_NAME = 'org.varnacle.driver.ShellFocus';
const OBJECT_PATH = '/org/varnacle/driver/ShellFocus';
const INTERFACE = `
<node>
  <interface name="org.varnacle.driver.ShellFocus">
    <method name="FocusedWindowPid">
      <arg type="i" direction="out" name="pid"/>
    </method>
  </interface>
</node>`;

class ShellFocus {
    FocusedWindowPid() {
        const window = global.display.focus_window;
        const pid = window ? window.get_pid() : 0;
        return pid > 0 ? pid : 0;
    }
}

class ForegroundExtension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new ShellFocus());
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._name = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._name);
        this._object.unexport();
        this._object = null;
    }
}

function init() {
    return new ForegroundExtension();
}
