"""The running player over AT-SPI, as Orca sees it: every image button a push button named
by its text; "停止" and "播放" pressed there are heard on a null sink; the bars' keys, their
descriptions, and the tips dialog's. Args: sonvela, its library."""
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


def find(role, name=None):  # anywhere in the player
    return next((a for app in pyatspi.Registry.getDesktop(0) if app and app.name == "sonvela"
                 for a in [pyatspi.findDescendant(app, lambda x: x.getRoleName() == role
                                                  and (name is None or x.name == name))] if a), None)


def key(*names):
    subprocess.run(["xdotool", "key", *names], check=True)


def focus_on(control):  # as a keyboard user gets there
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Sonvela$", "windowfocus"])
    control.queryComponent().grabFocus()
    wait_for(lambda: control.getState().contains(pyatspi.STATE_FOCUSED), "the focus on " + control.name)


def press_action(button):
    action = button.queryAction()
    index = [action.getName(i).lower() for i in range(action.nActions)].index("press")  # or fails
    return lambda: action.doAction(index)


root = tempfile.mkdtemp()
for f in sys.argv[1:]:
    shutil.copy(f, root)
subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=60", f"{root}/tone.wav"],
               check=True)
subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=1", f"{root}/short.wav"],
               check=True)
pathlib.Path(root, "load.lwo").write_text("tone.wav\r\nshort.wav\r\ntone.wav\r\n")
pathlib.Path(root, "load1.lwo").write_text(f"{root}/tone.wav\r\n{root}/short.wav\r\n{root}/tone.wav\r\n")
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
    # The tip is the dialog's description, which Orca says as the dialog opens.
    tips = wait_for(lambda: find("dialog", "每日一帖"), "the tips dialog")
    tip = pyatspi.findDescendant(tips, lambda a: a.getRoleName() == "label" and len(a.name) > 10)
    assert tips.description == tip.name, (tips.description, tip.name)
    # The panels' engraved lines are drawn, not listed.
    lines = pyatspi.findAllDescendants(find("frame", "Sonvela"), lambda a: a.getRoleName() == "frame"
                                       and not a.name and not a.childCount)
    assert not lines, len(lines)
    # Right and Page Up move each bar the way its thumb moves right; a bar
    # reads as its label does.
    for name in ["音量", "平衡"]:
        bar = find("scroll bar", name)
        before = bar.queryValue().currentValue
        focus_on(bar)
        key("Right", "Prior")
        wait_for(lambda: bar.queryValue().currentValue == before + 55, name + " a step and a page up")
        assert find("label", bar.description) and bar.description[:2] in "音量立体均衡", bar.description
    # From 平衡, Tab walks 帮助文件, 静音 and the list's toggle to the list. Enter
    # plays the short entry; when it ends and the next begins, the focus stays
    # on 静音 and no entry claims it.
    playlist, mute = find("list", "播放列表"), find("check box", "静音")
    key("Tab", "Tab", "Tab", "Tab")
    wait_for(lambda: playlist.getState().contains(pyatspi.STATE_FOCUSED), "the list")
    key("Down", "Return", "shift+Tab", "shift+Tab")
    wait_for(lambda: mute.getState().contains(pyatspi.STATE_FOCUSED), "the focus on 静音")
    claimed = []  # a row's own path may be gone by the time it is asked
    pyatspi.Registry.registerEventListener(lambda e: e.detail1 and claimed.append(e.type),
                                           "object:state-changed:focused")
    wait_for(lambda: GLib.MainContext.default().iteration(False) or
             playlist.querySelection().isChildSelected(2), "the next entry")
    for _ in range(20):
        GLib.MainContext.default().iteration(False)
        time.sleep(0.1)
    assert not claimed and mute.getState().contains(pyatspi.STATE_FOCUSED), claimed
    # In the list, Delete deletes the selected entry and the Menu key opens
    # the popup, whose third item "删除文件" deletes too.
    key("Tab", "Tab", "Delete")
    wait_for(lambda: playlist.childCount == 2, "the entry deleted")
    key("Down", "Menu")
    time.sleep(3)
    key("Down", "Down", "Down", "Return")
    wait_for(lambda: playlist.childCount == 1, "the entry deleted through the popup")
finally:
    player.kill()
    sound.kill()
    shutil.rmtree(root, ignore_errors=True)
