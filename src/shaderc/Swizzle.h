#pragma once
// Component letters of shader registers, as the compiler writes them and the
// effect runtime's assembler reads them back.

// 0..3 for x/r, y/g, z/b, w/a; -1 for any other letter.
inline int SwizzleComponent(char c) {
    switch (c) {
        case 'x':
        case 'r':
            return 0;
        case 'y':
        case 'g':
            return 1;
        case 'z':
        case 'b':
            return 2;
        case 'w':
        case 'a':
            return 3;
        default:
            return -1;
    }
}
