# The tree's own C++ sources (tracked by git: no build folders, no generated files).
own_sources() {
    git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc'
}
