// Writes the vNote writer's object for every format and kind into a directory, as seeds for
// fuzz_vnote_reader: make_vnote_corpus <output dir> <tests/data/pictures>.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/MediaObject.h"
#include "formats/ImageManager.h"
#include "formats/VNoteWriter.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Movie()
{
    // moov/trak/mdia/minf/stbl/stsd with an mp4v entry of 176 x 144.
    std::vector<uint8_t> stsd = {0, 0, 0, 52, 's', 't', 's', 'd', 0, 0, 0, 0, 0, 0, 0, 1,
                                 0, 0, 0, 36, 'm', 'p', '4', 'v'};
    stsd.resize(48, 0);
    stsd.insert(stsd.end(), {0, 176, 0, 144});
    std::vector<uint8_t> atom = stsd;
    for (const char* type : {"stbl", "minf", "mdia", "trak", "moov"}) {
        const uint32_t n = (uint32_t)atom.size() + 8;
        std::vector<uint8_t> outer = {(uint8_t)(n >> 24), (uint8_t)(n >> 16), (uint8_t)(n >> 8),
                                      (uint8_t)n};
        outer.insert(outer.end(), type, type + 4);
        outer.insert(outer.end(), atom.begin(), atom.end());
        atom.swap(outer);
    }
    return atom;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_vnote_corpus <output dir> <pictures dir>\n");
        return 2;
    }
    const std::string out = argv[1], pictures = argv[2];
    const std::vector<uint8_t> jpeg = ReadFile(pictures + "/img.jpg");
    const std::vector<uint8_t> gif = ReadFile(pictures + "/img.gif");
    const std::vector<uint8_t> bmp = ReadFile(pictures + "/img.bmp");
    const std::vector<uint8_t> melody = {'m', 'e', 'l', 'o', 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60};
    const Zorvex::ImageManager jpegPicture(jpeg.data(), (uint32_t)jpeg.size());
    const Zorvex::ImageManager gifPicture(gif.data(), (uint32_t)gif.size());

    struct Kind {
        int32_t kind;
        const char* tag;
        const std::vector<uint8_t>* body;
        const Zorvex::ImageManager* picture;
    };
    const std::vector<uint8_t> movie = Movie();
    const Kind kinds[] = {{MEDIA_JPEG, "jpeg", &jpeg, &jpegPicture},
                          {MEDIA_MOVIE, "movie", &movie, nullptr},
                          {MEDIA_GIF, "gif", &gif, &gifPicture},
                          {MEDIA_BMP, "bmp", &bmp, nullptr},
                          {MEDIA_IMELODY, "mld", &melody, nullptr},
                          {MEDIA_SMF, "smf", &midi, nullptr}};
    int written = 0;
    for (int32_t format = FORMAT_DOCOMO; format <= FORMAT_DIRECT; ++format) {
        for (const Kind& k : kinds) {
            SendJob job;
            job.format = format;
            job.kind = k.kind;
            job.body = *k.body;
            job.fileName = "sample-file.jpg";
            job.summary = "summary text";
            job.title = "title";
            job.time = 1205071507;
            job.redistributionForbidden = 1;
            job.picture = k.picture;
            std::unique_ptr<OutgoingObject> object;
            if (BuildOutgoingObject(job, nullptr, &object) != 0) continue;
            const std::string path = out + "/f" + std::to_string(format) + "-" + k.tag + ".vnt";
            std::ofstream file(path, std::ios::binary);
            file.write(reinterpret_cast<const char*>(object->body.GetData()), object->body.GetSize());
            ++written;
        }
    }
    std::printf("%d objects written\n", written);
    return written > 0 ? 0 : 1;
}
