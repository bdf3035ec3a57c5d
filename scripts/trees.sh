# Sourced by scripts/test and scripts/run: how each build tree is configured.
# Every tree is a Ninja tree under build/, built RelWithDebInfo.

vorn_tree_options() {
    case "$1" in
        native) ;;
        asan) echo "-DVORN_SANITIZE=address,undefined -DVORN_BUILD_BENCH=OFF" ;;
        tsan) echo "-DVORN_SANITIZE=thread -DVORN_BUILD_BENCH=OFF" ;;
        fuzz) echo "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVORN_BUILD_FUZZ=ON -DVORN_BUILD_TESTS=OFF -DVORN_BUILD_BENCH=OFF" ;;
        windows) echo "-DCMAKE_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-x86_64.cmake" ;;
        *) return 1 ;;
    esac
}

# vorn_configure NAME: configures build/NAME (from the repository root),
# keeping cmake's output in build/NAME/configure.log and showing it only
# when configuring fails.
vorn_configure() {
    local tree=build/$1 options
    options=$(vorn_tree_options "$1") || return 1
    mkdir -p "$tree"
    # shellcheck disable=SC2086 # the options are words
    if ! cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $options >"$tree/configure.log" 2>&1; then
        cat "$tree/configure.log" >&2
        return 1
    fi
}
