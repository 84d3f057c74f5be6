// A program whose version strings are in another language's table than the one the loader reads.
int main()
{
    return 0;
}
