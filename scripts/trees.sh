# Sourced by scripts/test and scripts/run: how each build tree is configured.
# Every tree is a Ninja tree under build/, of the RelWithDebInfo type, with
# warnings as errors (VORN_WERROR) and its optimisation and debug
# information chosen here:
#
# - native: -O2 -g, as shipped code is measured and debugged.
# - asan, tsan: -O1 with line tables only, as the sanitizers advise; enough
#   for their reports and much quicker to compile than -O2 -g.
# - fuzz: -O2 with line tables only: fast runs, readable crash reports.
# - windows: -O2 without debug information: the .exe files run under Wine,
#   not a debugger, and link much faster without it.

# vorn_configure NAME: configures build/NAME (from the repository root),
# keeping cmake's output in build/NAME/configure.log and showing it only
# when configuring fails.
vorn_configure() {
    local tree=build/$1 flags options=()
    case "$1" in
        native) flags="-O2 -g" ;;
        asan)
            flags="-O1 -g1"
            options=(-DVORN_SANITIZE=address,undefined -DVORN_BUILD_BENCH=OFF)
            ;;
        tsan)
            flags="-O1 -g1"
            options=(-DVORN_SANITIZE=thread -DVORN_BUILD_BENCH=OFF)
            ;;
        fuzz)
            flags="-O2 -g1"
            options=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                -DVORN_BUILD_FUZZ=ON -DVORN_BUILD_TESTS=OFF -DVORN_BUILD_BENCH=OFF)
            ;;
        windows)
            flags="-O2"
            options=("-DCMAKE_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-x86_64.cmake")
            ;;
        *) return 1 ;;
    esac
    mkdir -p "$tree"
    if ! cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON \
        "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$flags -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$flags -DNDEBUG" \
        "${options[@]}" >"$tree/configure.log" 2>&1; then
        cat "$tree/configure.log" >&2
        return 1
    fi
}
