'use strict';

// Shows Quorvel the windows of this session, which GNOME Shell offers no
// other program: which one has focus, whose each one is, and a polite close.

const {Gio, GLib, Meta, Shell} = imports.gi;

const BUS_NAME = 'io.quorvel.Shell';
const OBJECT_PATH = '/io/quorvel/Shell';
const INTERFACE = `<node>
  <interface name="io.quorvel.Shell">
    <method name="FocusedWindow">
      <arg type="u" direction="out" name="pid"/>
      <arg type="s" direction="out" name="appId"/>
    </method>
    <method name="ListWindows">
      <arg type="a(us)" direction="out" name="windows"/>
    </method>
    <method name="CloseWindows">
      <arg type="au" direction="in" name="pids"/>
      <arg type="u" direction="out" name="asked"/>
    </method>
    <signal name="FocusChanged">
      <arg type="u" name="pid"/>
      <arg type="s" name="appId"/>
    </signal>
  </interface>
</node>`;

// The desktop file ID of the window's application. A window no desktop file
// claims gets a made-up application from the tracker; its own Wayland app id
// (or X11 class) is the better name then.
function appIdOf(window) {
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    if (app && !app.is_window_backed())
        return (app.get_id() || '').replace(/\.desktop$/, '');
    return window.get_wm_class() || '';
}

function pidOf(window) {
    const pid = window.get_pid();
    return pid > 0 ? pid : 0;
}

function normalWindows() {
    return global.get_window_actors()
        .map(actor => actor.meta_window)
        .filter(window => window && window.get_window_type() === Meta.WindowType.NORMAL);
}

class QuorvelShell {
    FocusedWindow() {
        const window = global.display.focus_window;
        return window ? [pidOf(window), appIdOf(window)] : [0, ''];
    }

    ListWindows() {
        return normalWindows().map(window => [pidOf(window), appIdOf(window)]);
    }

    CloseWindows(pids) {
        const wanted = new Set(pids.filter(pid => pid > 0));
        const windows = normalWindows().filter(window => wanted.has(pidOf(window)));
        // As the close button does: the application may ask to save first.
        for (const window of windows)
            window.delete(global.get_current_time());
        return windows.length;
    }
}

class Extension {
    enable() {
        this._service = new QuorvelShell();
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE, this._service);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, BUS_NAME,
            Gio.BusNameOwnerFlags.NONE, null, null);
        this._focusId = global.display.connect('notify::focus-window', () => {
            const [pid, appId] = this._service.FocusedWindow();
            this._exported.emit_signal('FocusChanged', new GLib.Variant('(us)', [pid, appId]));
        });
    }

    disable() {
        global.display.disconnect(this._focusId);
        Gio.bus_unown_name(this._nameId);
        this._exported.unexport();
        this._exported = null;
        this._service = null;
    }
}

function init() {
    return new Extension();
}
