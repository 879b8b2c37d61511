# Stage macos: das and its whole test suite, compiled and linked for macOS 11 and later on x86_64 and
# arm64 by clang and ld64.lld, against the macOS headers and libSystem's symbol stubs that Zig ships
# (its npm package, pinned, in the cache of install_missing; .ci/macos-sysroot.cmake makes the
# sysroot). Each das is a Mach-O for its processor, for macOS 11.0 at the least, needing libSystem
# alone, ad hoc signed on arm64; a call that macOS lacks fails the link. Nothing of it runs here,
# and nothing of it is shipped.
zig_package=$(zig_package)
declare -A cputypes=([x86_64]=X86_64 [arm64]=ARM64)
for arch in x86_64 arm64; do
  sysroot=$scratch/macos-$arch/sysroot
  build=$scratch/macos-$arch/build
  cmake -DPACKAGE="$zig_package" -DARCH=$arch -DOUT="$sysroot" -DNM="$(command -v llvm-nm-14)" \
    -DLIBCXX=/usr/lib/llvm-14 -P .ci/macos-sysroot.cmake
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=.ci/macos.cmake -DDAS_MACOS_ARCH=$arch -DDAS_MACOS_SYSROOT="$sysroot" \
    -DBUILD_TESTING=ON -DDAS_GTEST_SOURCE=/usr/src/googletest -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    >"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
  cmake --build "$build" -j 2 >>"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
  das=$build/das
  header=$(llvm-otool-14 -hv "$das" | sed -n 3p)
  [[ $header == MH_MAGIC_64\ *${cputypes[$arch]}\ *EXECUTE\ *PIE ]] || { echo "$das: not a $arch program: $header"; exit 1; }
  test "$(llvm-otool-14 -l "$das" | sed -n 's/^ *minos //p')" = 11.0
  test "$(llvm-otool-14 -L "$das" | sed 1d | sed 's/^\s*\([^ ]*\).*/\1/')" = /usr/lib/libSystem.B.dylib
  diff <(llvm-otool-14 -L "$build/tests/das_tests" | sed 1d | sed 's/^\s*\([^ ]*\).*/\1/') \
       <(printf '%s\n' /usr/lib/libc++.1.dylib /usr/lib/libSystem.B.dylib)
  if [ $arch = arm64 ]; then
    # The code directory of its signature says ad hoc (0x2).
    python3 - "$das" <<'SIGNATURE'
import struct, subprocess, sys
path = sys.argv[1]
commands = subprocess.run(["llvm-otool-14", "-l", path], capture_output=True, text=True, check=True).stdout.split("\n")
at = commands.index(next(line for line in commands if line.strip() == "cmd LC_CODE_SIGNATURE"))
offset, size = (int(commands[at + i].split()[1]) for i in (2, 3))
blob = open(path, "rb").read()[offset:offset + size]
magic, _, count = struct.unpack(">III", blob[:12])
assert magic == 0xFADE0CC0, "no embedded signature"
for index in range(count):
    _, at = struct.unpack(">II", blob[12 + 8 * index:20 + 8 * index])
    if struct.unpack(">I", blob[at:at + 4])[0] == 0xFADE0C02:
        flags = struct.unpack(">I", blob[at + 12:at + 16])[0]
        sys.exit(0 if flags & 0x2 else f"{path}: signed, but not ad hoc (flags {flags:#x})")
sys.exit(f"{path}: no code directory in its signature")
SIGNATURE
  fi
  # A call macOS has links; one it lacks does not.
  link() {
    printf '#include <sys/socket.h>\nextern "C" int recvmmsg(int, void*, unsigned, int, void*);\nint main() { return %s; }\n' "$1" |
      clang++ --target=$arch-apple-macos11.0 -isysroot "$sysroot" -stdlib=libc++ -fuse-ld=lld -x c++ - -o "$scratch/macos-$arch/call" 2>&1
  }
  link 'recvmsg(0, 0, 0)' >/dev/null
  said=$(link 'recvmmsg(0, 0, 0, 0, 0)') && { echo "recvmmsg linked for macOS on $arch"; exit 1; }
  grep 'undefined symbol: _recvmmsg' <<<"$said" >/dev/null || { echo "$said"; exit 1; }
  echo "macOS on $arch: das a Mach-O executable for $(awk '{print $2}' <<<"$header"), macOS $(llvm-otool-14 -l "$das" | sed -n 's/^ *minos //p') and later," \
    "libSystem alone$([ $arch = arm64 ] && echo ', signed ad hoc'); das_tests linked; recvmmsg is not there"
done
