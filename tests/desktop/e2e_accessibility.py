"""The running player over AT-SPI, as Orca sees it: every image button a push button named
by its text; "停止" and "播放" pressed there are heard on a null sink. Args: sonvela, its library."""
import array, os, pathlib, shutil, subprocess, sys, tempfile, time
import pyatspi
from gi.repository import Gio, GLib

BUTTONS = ["关闭", "隐藏", "关于", "隐藏或显示[列表]窗口", "隐藏或显示[属性]窗口", "打开单个媒体文件",
           "播放", "停止", "暂停播放", "下一首", "前一首", "播放VCD文件", "帮助文件"]


def wait_for(what, description, seconds=60):  # ample on a busy machine, and free when fast
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if found := what():
            return found
        time.sleep(0.2)
    sys.exit("FAIL: timed out waiting for " + description)


def loudness():
    raw = subprocess.run(["timeout", "0.5", "parec", "-d", "heard.monitor", "--format=s16le"],
                         capture_output=True).stdout
    return max(map(abs, array.array("h", raw[:len(raw) & ~1])), default=0)


def buttons():  # of the main window, named as the program is
    found = {b.name: b for app in pyatspi.Registry.getDesktop(0) if app for w in app if w and w.name == "Sonvela"
             for b in pyatspi.findAllDescendants(w, lambda a: a.getRoleName() == "push button")}
    return found if set(BUTTONS) <= set(found) else None


def press_action(button):
    action = button.queryAction()
    index = [action.getName(i).lower() for i in range(action.nActions)].index("press")  # or fails
    return lambda: action.doAction(index)


root = tempfile.mkdtemp()
for f in sys.argv[1:]:
    shutil.copy(f, root)
subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=60", f"{root}/tone.wav"],
               check=True)
pathlib.Path(root, "load.lwo").write_text("tone.wav\r\n")
pathlib.Path(root, "load1.lwo").write_text(f"{root}/tone.wav\r\n")
os.environ.update(XDG_RUNTIME_DIR=root, XDG_CONFIG_HOME=root, HOME=root,
                  PULSE_SERVER="unix:" + root + "/pulse/native")
sound = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                          "-L", "module-null-sink sink_name=heard", "-L", "module-native-protocol-unix"])
wait_for(lambda: subprocess.run(["pactl", "info"], capture_output=True).returncode == 0, "pulse")
# What a screen reader does first: switch the desktop's accessibility on.
Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
    "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
    GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
    None, Gio.DBusCallFlags.NONE, -1, None)
player = subprocess.Popen([root + "/sonvela"])
try:
    press = {name: press_action(b) for name, b in wait_for(buttons, "the buttons").items()}
    # The first entry plays from start-up on (a sine at -18 dBFS, the bar at 68 %).
    wait_for(lambda: loudness() > 300, "the tone at start-up")
    press["停止"]()
    wait_for(lambda: loudness() < 30, "silence after 停止")
    press["播放"]()
    wait_for(lambda: loudness() > 300, "the tone after 播放")
finally:
    player.kill()
    sound.kill()
    shutil.rmtree(root, ignore_errors=True)
