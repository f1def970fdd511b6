#!/bin/sh
# Runs a command inside a whole emulated x86_64 machine (QEMU, software
# emulation), for programs this machine's kernel will not run: where it
# refuses 32-bit x86 code, the guest's kernel (Debian's own, with IA32
# emulation) runs 32-bit Wine and the shipped i686 program.
#
# The guest sees this machine's root filesystem read-only over virtio-9p,
# under an overlay whose writes stay in the guest's memory, so every
# installed package is there; /tmp, /run and /dev/shm are fresh and in
# memory too. Each --share folder is shared writable at the same path, so
# results come back and paths are the same inside and out. The command runs
# as root in the current folder with this environment (less DISPLAY,
# XAUTHORITY, TMPDIR, WINEPREFIX and XDG_RUNTIME_DIR, which name this
# machine's session) and KALVEX_GUEST=1; its output (standard output and
# error together) comes back live on standard output.
#
# Exit status: the command's own; 124 when the time limit ended the guest;
# 125 when the guest could not be started or ended without the command's
# status (the kernel's log is then shown).
#
# guest.sh --check says whether a guest can start here (exit 0) or what is
# missing (exit 1).
set -u

usage() {
    cat <<'EOF'
usage: scripts/guest.sh [--timeout SECONDS] [--memory MB] [--cpus N] [--share DIR]... [--keep-log FILE] [--] COMMAND [ARG]...
       scripts/guest.sh --check
  --timeout SECONDS  end the guest after this long (default 3600); exit status 124
  --memory MB        the guest's memory (default 6144); /tmp lives in it
  --cpus N           the guest's processors (default: this machine's, at most 4)
  --share DIR        share DIR writable at the same path (repeatable)
  --keep-log FILE    also keep the guest kernel's log in FILE
EOF
}

TIMEOUT=3600
MEMORY=6144
CPUS=$(nproc)
[ "$CPUS" -gt 4 ] && CPUS=4
SHARES=""
KEEP_LOG=""
CHECK=0
while [ $# -gt 0 ]; do
    case "$1" in
        --timeout) TIMEOUT=${2:?}; shift 2 ;;
        --memory) MEMORY=${2:?}; shift 2 ;;
        --cpus) CPUS=${2:?}; shift 2 ;;
        --share)
            _dir=$(cd "${2:?}" 2>/dev/null && pwd -P) || { echo "guest: no folder $2 to share" >&2; exit 125; }
            [ "$_dir" != / ] || { echo "guest: the root folder is the guest's own, read-only" >&2; exit 125; }
            SHARES="$SHARES$_dir
"
            shift 2
            ;;
        --keep-log) KEEP_LOG=${2:?}; shift 2 ;;
        --check) CHECK=1; shift ;;
        -h | --help) usage; exit 0 ;;
        --) shift; break ;;
        -*) echo "guest: unknown option $1" >&2; usage >&2; exit 125 ;;
        *) break ;;
    esac
done
for _n in "$TIMEOUT" "$MEMORY" "$CPUS"; do
    case "$_n" in '' | *[!0-9]*) echo "guest: not a number: $_n" >&2; exit 125 ;; esac
done
if [ $CHECK -eq 0 ] && [ $# -eq 0 ]; then
    usage >&2
    exit 125
fi

# The modules the start-up image loads, with what they need first.
MODULES="9p 9pnet_virtio virtio_pci overlay"

# The kernel: the newest Debian amd64 kernel with IA32 emulation whose
# modules, those above among them, are installed (linux-image-amd64).
find_kernel() {
    KVER=""
    for _k in $(ls /boot/vmlinuz-* 2>/dev/null | sed 's|^/boot/vmlinuz-||' | sort -V -r); do
        [ -r "/boot/vmlinuz-$_k" ] && [ -f "/lib/modules/$_k/modules.dep" ] || continue
        grep -qx 'CONFIG_IA32_EMULATION=y' "/boot/config-$_k" 2>/dev/null || continue
        # shellcheck disable=SC2086
        modprobe -S "$_k" -a --show-depends $MODULES >/dev/null 2>&1 || continue
        KVER=$_k
        return 0
    done
    WHY="no readable /boot/vmlinuz-* with IA32 emulation and the modules $MODULES (package linux-image-amd64)"
    return 1
}

# Whether everything a guest needs is here; WHY names what is missing.
can_start() {
    for _tool in qemu-system-x86_64:qemu-system-x86 cpio:cpio modprobe:kmod xz:xz-utils; do
        if ! command -v "${_tool%%:*}" >/dev/null 2>&1; then
            WHY="${_tool%%:*} is missing (package ${_tool#*:})"
            return 1
        fi
    done
    BUSYBOX=""
    for _b in /bin/busybox /usr/bin/busybox; do
        if [ -x "$_b" ] && ! LC_ALL=C ldd "$_b" >/dev/null 2>&1; then BUSYBOX=$_b; break; fi
    done
    if [ -z "$BUSYBOX" ]; then
        WHY="no static busybox (package busybox-static)"
        return 1
    fi
    find_kernel
}

if ! can_start; then
    echo "guest: cannot start an emulated machine here: $WHY" >&2
    exit $([ $CHECK -eq 1 ] && echo 1 || echo 125)
fi
if [ $CHECK -eq 1 ]; then
    echo "guest: ready (kernel $KVER)"
    exit 0
fi

JOB=$(mktemp -d /tmp/kalvex-guest.XXXXXX)
QEMU_PID=""
cleanup() {
    if [ -n "$QEMU_PID" ]; then
        kill "$QEMU_PID" 2>/dev/null
        wait "$QEMU_PID" 2>/dev/null
    fi
    [ -n "$KEEP_LOG" ] && [ -f "$JOB/console.log" ] && cp "$JOB/console.log" "$KEEP_LOG"
    rm -rf "$JOB"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A word for a shell, in single quotes.
quote() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}

# The initramfs: a static busybox as /init's shell and the modules for 9p
# over virtio and the overlay, with what they depend on, in load order.
INITRD=$JOB/initrd
mkdir -p "$INITRD/bin" "$INITRD/modules" "$INITRD/lower" "$INITRD/rw" "$INITRD/newroot" \
    "$INITRD/proc" "$INITRD/sys" "$INITRD/dev" "$JOB/share"
cp "$BUSYBOX" "$INITRD/bin/busybox"
: >"$JOB/modules.txt"
# shellcheck disable=SC2086
for _m in $(modprobe -S "$KVER" -a --show-depends $MODULES | awk '$1 == "insmod" && !seen[$2]++ { print $2 }'); do
    _name=$(basename "$_m")
    case "$_m" in
        *.ko.xz) xz -dc "$_m" >"$INITRD/modules/${_name%.xz}" ;;
        *.ko.zst) zstd -qdc "$_m" >"$INITRD/modules/${_name%.zst}" ;;
        *.ko.gz) gzip -dc "$_m" >"$INITRD/modules/${_name%.gz}" ;;
        *) cp "$_m" "$INITRD/modules/$_name" ;;
    esac || { echo "guest: cannot unpack $_m" >&2; exit 125; }
    echo "${_name%.ko*}.ko" >>"$JOB/modules.txt"
done
cp "$JOB/modules.txt" "$INITRD/modules/order"

# The shares, a folder before the folders inside it; a folder inside a
# shared one is shared already.
printf '%s' "$SHARES" | awk 'NF { print length($0) "\t" $0 }' | sort -n | cut -f2- |
    awk '{ for (i = 1; i <= n; i++) if ($0 == kept[i] || index($0, kept[i] "/") == 1 || kept[i] == "/") next
           kept[++n] = $0; print }' >"$JOB/shares.txt"
: >"$INITRD/mounts.sh"
_i=0
while IFS= read -r _dir; do
    _i=$((_i + 1))
    echo "mkdir -p /newroot$(quote "$_dir") &&" \
        "mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=mmap share$_i /newroot$(quote "$_dir")" \
        ">/newroot/dev/null || echo 'init: cannot mount share$_i'" >>"$INITRD/mounts.sh"
done <"$JOB/shares.txt"

# The command, in the current folder, with this environment.
/bin/sh -c 'export -p' >"$JOB/share/env"
{
    echo '#!/bin/sh'
    echo '. /run/guest/env'
    echo 'unset DISPLAY XAUTHORITY TMPDIR WINEPREFIX XDG_RUNTIME_DIR'
    echo 'export KALVEX_GUEST=1'
    echo "cd $(quote "$(pwd -P)") || exit 125"
    printf 'exec'
    for _a in "$@"; do printf ' %s' "$(quote "$_a")"; done
    echo
} >"$JOB/share/job.sh"

cat >"$INITRD/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
while read -r m; do insmod "/modules/$m" || echo "init: insmod $m failed"; done </modules/order
# This machine's root, read-only, under an overlay whose writes stay in memory.
# (The virtio devices may still be coming up.)
tries=0
until mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose,ro hostroot /lower 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || { echo "init: cannot mount this machine's root"; exit 1; }
    sleep 0.1
done
mount -t tmpfs -o mode=0755 rw /rw
mkdir -p /rw/upper /rw/work
mount -t overlay -o lowerdir=/lower,upperdir=/rw/upper,workdir=/rw/work root /newroot || exit 1
mount --move /proc /newroot/proc
mount --move /sys /newroot/sys
mount --move /dev /newroot/dev
mkdir -p /newroot/dev/pts /newroot/dev/shm
mount -t devpts -o newinstance,ptmxmode=0666 devpts /newroot/dev/pts
mount -t tmpfs -o mode=1777 shm /newroot/dev/shm
mount -t tmpfs -o mode=1777,size=80% tmp /newroot/tmp
mount -t tmpfs -o mode=0755 run /newroot/run
mkdir -p /newroot/run/guest
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=mmap job /newroot/run/guest || exit 1
. /mounts.sh
ip link set lo up
hostname guest
stty -F /newroot/dev/ttyS1 raw -echo || echo "init: cannot set the output port raw"
chroot /newroot /usr/bin/env -i /bin/sh /run/guest/job.sh </newroot/dev/null >/newroot/dev/ttyS1 2>&1
echo $? >/newroot/run/guest/status
sync
# What the command left behind may hold the port open: end it, so that the
# port's last close waits until its output has gone out.
kill -9 -1 2>/newroot/dev/null
sleep 0.2
: >/newroot/dev/ttyS1
sync
poweroff -f
EOF
chmod +x "$INITRD/init"
(cd "$INITRD" && find . | cpio -o -H newc --quiet) >"$JOB/initrd.cpio" || exit 125

# QEMU's options, from here on the positional parameters. A comma in a
# path given to QEMU is written twice.
qemu_path() { printf '%s' "$1" | sed 's/,/,,/g'; }
set -- -fsdev "local,id=r,path=/,security_model=none,readonly=on,multidevs=remap" \
    -device virtio-9p-pci,fsdev=r,mount_tag=hostroot \
    -fsdev "local,id=j,path=$(qemu_path "$JOB/share"),security_model=none,multidevs=remap" \
    -device virtio-9p-pci,fsdev=j,mount_tag=job
_i=0
while IFS= read -r _dir; do
    _i=$((_i + 1))
    set -- "$@" -fsdev "local,id=s$_i,path=$(qemu_path "$_dir"),security_model=none,multidevs=remap" \
        -device "virtio-9p-pci,fsdev=s$_i,mount_tag=share$_i"
done <"$JOB/shares.txt"

# SMAP off: with it on, this QEMU's software emulation faults on the
# user-mode iretq of 64-bit Wine's system-call return (the guest kernel
# kills wineboot at once). The kernel's own messages go to a log file; the
# second serial port carries the command's output.
timeout -k 10 "$TIMEOUT" qemu-system-x86_64 \
    -accel tcg,thread=multi -cpu max,smap=off,la57=off -smp "$CPUS" -m "$MEMORY" \
    -nodefaults -display none -no-reboot -monitor none \
    -kernel "/boot/vmlinuz-$KVER" -initrd "$(qemu_path "$JOB/initrd.cpio")" \
    -append "console=ttyS0 rdinit=/init panic=-1 loglevel=4" \
    -serial "file:$(qemu_path "$JOB/console.log")" \
    -chardev stdio,id=out,signal=off -serial chardev:out \
    "$@" </dev/null &
QEMU_PID=$!
wait "$QEMU_PID"
qemu_status=$?
QEMU_PID=""

if [ -f "$JOB/share/status" ]; then
    exit "$(cat "$JOB/share/status")"
fi
if [ $qemu_status -eq 124 ]; then
    echo "guest: the time limit of $TIMEOUT s ended the emulated machine before the command" >&2
    exit 124
fi
echo "guest: the emulated machine ended (status $qemu_status) without the command's exit status; its log:" >&2
tail -n 30 "$JOB/console.log" >&2 2>/dev/null
exit 125
