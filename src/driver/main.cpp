// Entry point of the kestrel command-line build tool.
int main()
{
    return 1;
}
