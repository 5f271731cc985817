// The long soak: whole games with every company run by the computer, from seed 1 upwards. Prints
// per seed the turn reached, who holds colonies at the end and the time per turn; exits 1 at the
// first broken invariant. Usage: vostrel_soak [seeds [turns]]. Dump files go to a scratch directory.
#include <cstdio>
#include <cstdlib>

#include "tests/world/soak_world.h"

int main(int argc, char **argv)
{
    int seeds = argc > 1 ? atoi(argv[1]) : 20;
    int turns = argc > 2 ? atoi(argv[2]) : 1000;
    if (seeds < 1 || turns < 1) {
        fprintf(stderr, "usage: vostrel_soak [seeds [turns]]\n");
        return 2;
    }
    soak::ScratchDir dir;
    int failures = 0;
    printf("%4s %6s %-10s %9s %9s %9s %9s %8s\n", "seed", "turn", "winner", "colonies", "fleets", "ships",
           "attackers", "ms/turn");
    for (int seed = 1; seed <= seeds; seed++) {
        soak::Game game = soak::Play((unsigned)seed, turns);
        printf("%4d %6d %-10s %9d %9d %9d %9d %8.2f\n", seed, game.turnReached, soak::Winner(game).c_str(),
               game.figures.colonies, game.figures.fleetsInSpace, game.figures.ships, game.figures.attackers,
               game.msPerTurn);
        if (!game.failure.empty()) {
            printf("     invariant broken: %s\n", game.failure.c_str());
            failures++;
        }
        fflush(stdout);
        // The dump files of one game are not kept: twenty long games would fill the disk.
        std::filesystem::remove("AIPlanetDump.txt");
        std::filesystem::remove("AIFleetDump.txt");
    }
    printf("%d of %d games broke an invariant\n", failures, seeds);
    return failures ? 1 : 0;
}
