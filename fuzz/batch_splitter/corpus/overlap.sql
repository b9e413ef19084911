0aa
 aaa aa aaaa aa
