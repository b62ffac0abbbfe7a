#!/usr/bin/env python3
"""The running player as a screen reader (Orca) sees it over AT-SPI: every
image button is a push button named by its text, and pressing "停止" and then
"播放" there silences and then plays the sound (heard on a null sink).
Runs in a session bus of its own on a real X server.
Arguments: the sonvela executable and the player library beside it."""
import array, os, shutil, subprocess, sys, tempfile, time
import pyatspi
from gi.repository import Gio, GLib

BUTTONS = ["关闭", "隐藏", "关于", "隐藏或显示[列表]窗口", "隐藏或显示[属性]窗口", "打开单个媒体文件",
           "播放", "停止", "暂停播放", "下一首", "前一首", "播放VCD文件", "帮助文件"]


def wait_for(what, description, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("FAIL: timed out waiting for " + description)


def loudness():
    """The peak of about half a second recorded from the null sink."""
    rec = subprocess.Popen(["parec", "-d", "heard.monitor", "--raw", "--format=s16le"],
                           stdout=subprocess.PIPE)
    time.sleep(0.5)
    rec.terminate()
    samples = array.array("h", rec.stdout.read()[:88200])
    return max((abs(s) for s in samples), default=0)


def main():
    root = tempfile.mkdtemp()
    for f in sys.argv[1:]:
        shutil.copy(f, root)
    clip = os.path.join(root, "tone.wav")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=60", clip],
                   check=True)
    for name, line in (("load.lwo", "tone.wav"), ("load1.lwo", clip)):
        with open(os.path.join(root, name), "w") as f:
            f.write(line + "\r\n")
    env = dict(os.environ, XDG_RUNTIME_DIR=root, XDG_CONFIG_HOME=root, HOME=root,
               PULSE_SERVER="unix:" + root + "/pulse/native")
    os.chmod(root, 0o700)
    sound = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
                              "module-null-sink sink_name=heard", "-L",
                              "module-native-protocol-unix"], env=env)
    os.environ.update(PULSE_SERVER=env["PULSE_SERVER"])
    wait_for(lambda: subprocess.run(["pactl", "info"], capture_output=True).returncode == 0,
             "the sound server")
    # What a screen reader does first: switch the desktop's accessibility on.
    Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
        "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
        None, Gio.DBusCallFlags.NONE, -1, None)
    time.sleep(1)
    player = subprocess.Popen([os.path.join(root, "sonvela")], env=env)
    try:
        def buttons():
            found = {}
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None:
                    for b in pyatspi.findAllDescendants(
                            app, lambda a: a.getRoleName() == "push button"):
                        found[b.name] = b
            return found if set(BUTTONS) <= set(found) else None
        found = wait_for(buttons, "every button as a push button")

        def press_action(name):
            action = found[name].queryAction()
            names = [action.getName(i).lower() for i in range(action.nActions)]
            assert "press" in names, (name, names)
            return lambda: action.doAction(names.index("press"))

        press = {name: press_action(name) for name in BUTTONS}
        # The tone plays from start-up on (a sine at -18 dBFS, the bar at 68 %).
        wait_for(lambda: loudness() > 300, "the tone at start-up")
        press["停止"]()
        wait_for(lambda: loudness() < 30, "silence after 停止")
        press["播放"]()
        wait_for(lambda: loudness() > 300, "the tone after 播放")
        print("PASS: every button named and pressable; 播放 is heard")
    finally:
        player.kill()
        sound.kill()
        shutil.rmtree(root, ignore_errors=True)


main()
