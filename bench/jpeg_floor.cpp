// The floor for converting JPEG pictures: read each file and decode it with TurboJPEG into 32-bit
// pixels, nothing else. Build: g++ -O2 jpeg_floor.cpp -lturbojpeg
#include <turbojpeg.h>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> file;
    std::vector<unsigned char> pixels;
    unsigned long checksum = 0;
    for (int i = 1; i < argc; ++i) {
        std::FILE *f = std::fopen(argv[i], "rb");
        if (!f) {
            std::perror(argv[i]);
            return 1;
        }
        std::fseek(f, 0, SEEK_END);
        file.resize(std::size_t(std::ftell(f)));
        std::fseek(f, 0, SEEK_SET);
        const std::size_t got = std::fread(file.data(), 1, file.size(), f);
        std::fclose(f);
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        if (got != file.size() ||
            tjDecompressHeader3(tj, file.data(), got, &width, &height, &subsampling, &colourspace) != 0) {
            std::fprintf(stderr, "%s: %s\n", argv[i], tjGetErrorStr2(tj));
            return 1;
        }
        pixels.resize(std::size_t(width) * height * 4);
        if (tjDecompress2(tj, file.data(), got, pixels.data(), width, 0, height, TJPF_BGRX, 0) != 0) {
            std::fprintf(stderr, "%s: %s\n", argv[i], tjGetErrorStr2(tj));
            return 1;
        }
        checksum += pixels[pixels.size() / 2];
    }
    tjDestroy(tj);
    std::printf("%lu\n", checksum);
    return 0;
}
